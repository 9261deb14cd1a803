#pragma once

#include "toolkit/one_at_a_time.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>

#include <array>
#include <functional>

class QUdpSocket;

// Whether a system socket table (the text of /proc/net/udp or udp6) lists a
// socket bound to `port` other than the one with inode `own`.
bool table_lists_other(QByteArrayView table, quint16 port, quint64 own);

// The two UDP listeners. Every waiting datagram is read at once (a socket
// whose datagram is left unread reports nothing more); datagrams are handed
// on strictly in the order they were read, one at a time: a datagram read
// while another is being handled (the handler may run the event loop) waits
// and is handed on right after it, never inside it.
class PacketReceiver : public QObject {
  Q_OBJECT
public:
  static constexpr int kListeners = 2;
  static constexpr qsizetype kMaxDatagram = 1024;
  static constexpr int kReceiveBuffer = 4 << 20;

  // Called for each datagram with its bytes, its sender's dotted address and
  // the listener (0 or 1) it came in on.
  using Handler = std::function<void(QByteArrayView datagram, QByteArrayView sender, int listener)>;

  explicit PacketReceiver(QObject *parent = nullptr);
  ~PacketReceiver() override;

  void set_handler(Handler handler) { handler_ = std::move(handler); }
  // Told when datagrams read together begin to be handed on (true), and
  // when the last of them has been (false).
  using BatchWatch = std::function<void(bool handing_on)>;
  void set_batch_watch(BatchWatch watch) { batch_watch_ = std::move(watch); }

  enum class OpenResult {
    opened,
    shared,       // opened, but another socket already holds the port
    already_open,
    failed,       // dropped: the listener stays closed
  };
  // Binds listener i to all IPv4 interfaces at port with address reuse,
  // unless it is open already.
  OpenResult open(int i, quint16 port);
  void close(int i);
  bool is_open(int i) const;
  // The bound port (useful when opened on port 0).
  quint16 local_port(int i) const;
  // For each listener, whether a socket other than its own is bound to its
  // port (0: none): another program that takes datagrams meant for this one,
  // or keeps the listener from opening at all. Read afresh from the system's
  // socket tables.
  std::array<bool, kListeners> held_elsewhere(const std::array<quint16, kListeners> &ports) const;

  // Dotted-decimal text of an IPv4 address.
  static QByteArray dotted(quint32 ipv4);

private:
  struct Waiting {
    QByteArray bytes;
    QByteArray sender;
    int listener;
  };

  void drain(int i);
  void hand_on_batch();
  // A system call per datagram was most of the cost of reading a busy feed:
  // one call reads up to this many of them.
  static constexpr int kBatch = 32;
  // Reads what waits on listener i, up to kBatch datagrams in one call, and
  // queues them; how many were read (none when nothing waited or the read
  // failed).
  int read_batch(int i);
  const QByteArray &sender_text(quint32 ipv4);

  std::array<QUdpSocket *, kListeners> sockets_{};
  Handler handler_;
  BatchWatch batch_watch_;
  OneAtATime<Waiting> handing_on_;
  // The last sender's dotted text: a feed comes from one sender.
  quint32 last_sender_ = 0;
  QByteArray last_sender_text_ = "0.0.0.0";
};
