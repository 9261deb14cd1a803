#include "tap/sender.h"

namespace tap {

namespace {
constexpr qsizetype kMaxUdpPayload = 65507;
}

Sender::Sender(Endpoint to) : to_(std::move(to)) {}

bool Sender::send(QByteArrayView payload, QString *error) {
  if (payload.size() > kMaxUdpPayload) {
    *error = QStringLiteral("a datagram of %1 bytes is longer than UDP allows (%2)")
                 .arg(payload.size())
                 .arg(kMaxUdpPayload);
    return false;
  }
  const qint64 n =
      socket_.writeDatagram(payload.data(), payload.size(), to_.address, to_.port);
  if (n == payload.size())
    return true;
  if (socket_.error() == QAbstractSocket::ConnectionRefusedError)
    return true;
  *error = QStringLiteral("cannot send to %1: %2").arg(to_.text(), socket_.errorString());
  return false;
}

} // namespace tap
