#include "packet_receiver.h"

#include <QFile>
#include <QHostAddress>
#include <QUdpSocket>
#include <QVariant>

#include <algorithm>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
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

// The whole of a socket table; empty when it cannot be read.
QByteArray read_table(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The next field of a table's line from `at` on, fields being parted by
// spaces; `at` moves past it.
QByteArrayView next_field(QByteArrayView line, qsizetype &at) {
  while (at < line.size() && line[at] == ' ')
    ++at;
  const qsizetype begin = at;
  while (at < line.size() && line[at] != ' ')
    ++at;
  return line.sliced(begin, at - begin);
}

} // namespace

bool table_lists_other(QByteArrayView table, quint16 port, quint64 own) {
  // Columns: slot, local address:port (hex), remote, state, queues, timer,
  // retransmits, uid, timeout, inode. The first line names them.
  qsizetype end = table.indexOf('\n');
  while (end >= 0 && end < table.size()) {
    const qsizetype begin = end + 1;
    end = table.indexOf('\n', begin);
    const QByteArrayView line = table.sliced(begin, (end < 0 ? table.size() : end) - begin);
    qsizetype at = 0;
    QByteArrayView fields[10];
    for (QByteArrayView &f : fields)
      f = next_field(line, at);
    const QByteArrayView local = fields[1];
    const qsizetype colon = local.lastIndexOf(':');
    bool port_ok = false, inode_ok = false;
    const uint p = colon < 0 ? 0 : local.sliced(colon + 1).toUInt(&port_ok, 16);
    const quint64 inode = fields[9].toULongLong(&inode_ok);
    if (port_ok && inode_ok && p == port && inode != own)
      return true;
  }
  return false;
}

std::array<bool, PacketReceiver::kListeners>
PacketReceiver::held_elsewhere(const std::array<quint16, kListeners> &ports) const {
  std::array<bool, kListeners> held{};
  if (std::all_of(ports.begin(), ports.end(), [](quint16 p) { return p == 0; }))
    return held;
  // Once a second: each table is read once for all listeners.
  const QByteArray tables[] = {read_table(QStringLiteral("/proc/net/udp")),
                               read_table(QStringLiteral("/proc/net/udp6"))};
  for (int i = 0; i < kListeners; ++i) {
    if (ports[i] == 0)
      continue;
    const quint64 own = socket_inode(*sockets_.at(i));
    for (const QByteArray &table : tables)
      held[i] = held[i] || table_lists_other(table, ports[i], own);
  }
  return held;
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

const QByteArray &PacketReceiver::sender_text(quint32 ipv4) {
  if (ipv4 != last_sender_) {
    last_sender_ = ipv4;
    last_sender_text_ = dotted(ipv4);
  }
  return last_sender_text_;
}

int PacketReceiver::read_batch(int i) {
  // One byte more than the largest datagram tells a 1025-byte one apart.
  static_assert(kMaxDatagram + 1 <= 4096);
  char buffers[kBatch][kMaxDatagram + 1];
  iovec parts[kBatch];
  sockaddr_in senders[kBatch];
  mmsghdr messages[kBatch];
  for (int m = 0; m < kBatch; ++m) {
    parts[m] = {buffers[m], sizeof buffers[m]};
    messages[m] = {};
    messages[m].msg_hdr.msg_iov = &parts[m];
    messages[m].msg_hdr.msg_iovlen = 1;
    messages[m].msg_hdr.msg_name = &senders[m];
    messages[m].msg_hdr.msg_namelen = sizeof senders[m];
  }
  const int fd = int(sockets_.at(i)->socketDescriptor());
  const int got = fd < 0 ? -1 : ::recvmmsg(fd, messages, kBatch, MSG_DONTWAIT, nullptr);
  if (got <= 0)
    return 0;
  for (int m = 0; m < got; ++m) {
    const mmsghdr &msg = messages[m];
    if (msg.msg_len > unsigned(kMaxDatagram) || (msg.msg_hdr.msg_flags & MSG_TRUNC))
      continue;
    const quint32 from = msg.msg_hdr.msg_namelen >= sizeof(sockaddr_in) &&
                                 senders[m].sin_family == AF_INET
                             ? ntohl(senders[m].sin_addr.s_addr)
                             : 0;
    handing_on_.add({QByteArray(buffers[m], qsizetype(msg.msg_len)), sender_text(from), i});
  }
  return got;
}

void PacketReceiver::hand_on_batch() {
  // A batch read while another is being handed on joins it: only the first
  // tells its beginning and end.
  if (handing_on_.busy() || !batch_watch_) {
    handing_on_.run_waiting();
    return;
  }
  struct Told {
    const BatchWatch &watch;
    explicit Told(const BatchWatch &w) : watch(w) { watch(true); }
    ~Told() { watch(false); }
  } told(batch_watch_);
  handing_on_.run_waiting();
}

void PacketReceiver::drain(int i) {
  QUdpSocket *socket = sockets_.at(i);
  char buffer[kMaxDatagram + 1];
  QHostAddress from;
  // A batch of fewer than asked for emptied the socket: the socket's own
  // read that follows tells it so (and takes what came since), without
  // another call that would most likely find nothing.
  bool emptied = false;
  for (;;) {
    // Everything read in one go is queued before any of it is handed on, so
    // a datagram handled meanwhile (the handler may run the event loop)
    // cannot come between them.
    if (const int got = emptied ? 0 : read_batch(i); got > 0) {
      emptied = got < kBatch;
      hand_on_batch();
      // The socket may have been closed by what a datagram caused.
      if (socket->state() != QAbstractSocket::BoundState)
        return;
      continue;
    }
    emptied = false;
    // Nothing more waits: the socket's own read tells it so, which makes it
    // report the next arrival (it reports none until it has been read).
    const qint64 n = socket->readDatagram(buffer, sizeof buffer, &from, nullptr);
    if (n < 0)
      return;
    if (n > kMaxDatagram)
      continue;
    handing_on_.call({QByteArray(buffer, n), sender_text(from.toIPv4Address()), i});
    if (socket->state() != QAbstractSocket::BoundState)
      return;
  }
}
