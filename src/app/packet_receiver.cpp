#include "packet_receiver.h"

#include <QHostAddress>
#include <QUdpSocket>
#include <QVariant>

PacketReceiver::PacketReceiver(QObject *parent) : QObject(parent) {
  for (auto &s : sockets_) {
    s = new QUdpSocket(this);
    connect(s, &QUdpSocket::readyRead, this, [this, s] { drain(s); });
  }
}

PacketReceiver::~PacketReceiver() = default;

namespace {

// With address reuse a second socket on the port binds without complaint and
// then takes all unicast datagrams from the first (or loses them to it): a
// bind without reuse tells whether anyone holds the port already.
bool port_taken(quint16 port) {
  if (port == 0)
    return false;
  QUdpSocket probe;
  return !probe.bind(QHostAddress::AnyIPv4, port, QAbstractSocket::DontShareAddress) &&
         probe.error() == QAbstractSocket::AddressInUseError;
}

} // namespace

PacketReceiver::OpenResult PacketReceiver::open(int i, quint16 port) {
  QUdpSocket *s = sockets_.at(i);
  if (s->state() == QAbstractSocket::BoundState)
    return OpenResult::already_open;
  const bool taken = port_taken(port);
  if (!s->bind(QHostAddress::AnyIPv4, port,
               QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint))
    return OpenResult::failed;
  // A burst of thousands of datagrams must fit while the screen is busy.
  s->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(kReceiveBuffer));
  return taken ? OpenResult::shared : OpenResult::opened;
}

void PacketReceiver::close(int i) { sockets_.at(i)->close(); }

bool PacketReceiver::is_open(int i) const {
  return sockets_.at(i)->state() == QAbstractSocket::BoundState;
}

quint16 PacketReceiver::local_port(int i) const { return sockets_.at(i)->localPort(); }

QByteArray PacketReceiver::dotted(quint32 ipv4) {
  QByteArray out;
  out.reserve(15);
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.append(QByteArray::number((ipv4 >> shift) & 0xFF));
    if (shift)
      out.append('.');
  }
  return out;
}

void PacketReceiver::drain(QUdpSocket *socket) {
  // One byte more than the largest datagram tells a 1025-byte one apart.
  char buffer[kMaxDatagram + 1];
  QHostAddress from;
  for (;;) {
    const qint64 n = socket->readDatagram(buffer, sizeof buffer, &from, nullptr);
    if (n < 0)
      return;
    if (n > kMaxDatagram)
      continue;
    const QByteArrayView datagram(buffer, n);
    const QByteArray sender = dotted(from.toIPv4Address());
    if (busy_) {
      waiting_.push_back({datagram.toByteArray(), sender});
      continue;
    }
    hand_on(datagram, sender);
    // The socket may have been closed by what the datagram caused.
    if (socket->state() != QAbstractSocket::BoundState)
      return;
  }
}

void PacketReceiver::hand_on(QByteArrayView datagram, QByteArrayView sender) {
  busy_ = true;
  if (handler_)
    handler_(datagram, sender);
  while (!waiting_.empty()) {
    const Waiting next = std::move(waiting_.front());
    waiting_.pop_front();
    if (handler_)
      handler_(next.bytes, next.sender);
  }
  busy_ = false;
}
