#pragma once

#include "tap/endpoint.h"

#include <QByteArrayView>
#include <QString>
#include <QUdpSocket>

namespace tap {

// Sends datagrams to one destination from one socket, so a receiver sees a
// single sender port for a whole run.
class Sender {
public:
  explicit Sender(Endpoint to);
  const Endpoint &destination() const { return to_; }
  // False with *error when the datagram could not go out. A refusal reported
  // by the kernel (nobody listening yet on a loopback port) is not an error
  // for UDP: the receiver may start later.
  bool send(QByteArrayView payload, QString *error);

private:
  Endpoint to_;
  QUdpSocket socket_;
};

} // namespace tap
