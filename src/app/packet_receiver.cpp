#include "packet_receiver.h"

#include <QFile>
#include <QHostAddress>
#include <QUdpSocket>
#include <QVariant>

#include <sys/stat.h>

PacketReceiver::PacketReceiver(QObject *parent)
    : QObject(parent), handing_on_([this](const Waiting &w) {
        if (handler_)
          handler_(w.bytes, w.sender, w.listener);
      }) {
  for (int i = 0; i < kListeners; ++i) {
    sockets_[i] = new QUdpSocket(this);
    connect(sockets_[i], &QUdpSocket::readyRead, this, [this, i] { drain(i); });
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

// The inode of a socket, as the system's socket table names it; 0 for none.
quint64 socket_inode(const QUdpSocket &s) {
  struct stat st {};
  if (s.socketDescriptor() < 0 || fstat(int(s.socketDescriptor()), &st) != 0)
    return 0;
  return quint64(st.st_ino);
}

// Whether a table (/proc/net/udp or udp6) lists a socket on port other than
// the one with inode own. Columns: slot, local address:port (hex), remote,
// state, queues, timer, retransmits, uid, timeout, inode.
bool table_lists_other(const QString &path, quint16 port, quint64 own) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    return false;
  const QList<QByteArray> lines = f.readAll().split('\n');
  for (qsizetype n = 1; n < lines.size(); ++n) {
    const QList<QByteArray> cols = lines[n].simplified().split(' ');
    if (cols.size() < 10)
      continue;
    const QByteArray &local = cols[1];
    bool ok = false;
    const uint p = local.mid(local.lastIndexOf(':') + 1).toUInt(&ok, 16);
    if (ok && p == port && cols[9].toULongLong() != own)
      return true;
  }
  return false;
}

} // namespace

bool PacketReceiver::held_elsewhere(int i, quint16 port) const {
  if (port == 0)
    return false;
  const quint64 own = socket_inode(*sockets_.at(i));
  return table_lists_other(QStringLiteral("/proc/net/udp"), port, own) ||
         table_lists_other(QStringLiteral("/proc/net/udp6"), port, own);
}

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

void PacketReceiver::drain(int i) {
  QUdpSocket *socket = sockets_.at(i);
  // One byte more than the largest datagram tells a 1025-byte one apart.
  char buffer[kMaxDatagram + 1];
  QHostAddress from;
  for (;;) {
    const qint64 n = socket->readDatagram(buffer, sizeof buffer, &from, nullptr);
    if (n < 0)
      return;
    if (n > kMaxDatagram)
      continue;
    handing_on_.call({QByteArray(buffer, n), dotted(from.toIPv4Address()), i});
    // The socket may have been closed by what the datagram caused.
    if (socket->state() != QAbstractSocket::BoundState)
      return;
  }
}
