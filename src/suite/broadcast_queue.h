#pragma once

#include "suite/broadcast_state.h"

#include <QHostAddress>
#include <QObject>

class QTimer;
class QUdpSocket;

// The UDP broadcast sender: one queued packet per tick of Timer1 (1000 ms,
// stopped until a producer starts it), closed by "{eop}"; a failed send
// keeps the packet at the head for the next tick.
class BroadcastQueue : public QObject {
  Q_OBJECT
public:
  explicit BroadcastQueue(BroadcastState &state,
                          const QHostAddress &destination = QHostAddress(QHostAddress::Broadcast),
                          QObject *parent = nullptr);
  ~BroadcastQueue() override;

  // Queues a packet behind the others; false when all 200 slots are taken.
  bool enqueue(const QByteArray &text);
  // The producer's part: bind the socket to any free local port; true when open.
  bool open_socket();
  bool socket_open() const;
  // One tick: sends the head packet, if any and if the sender is configured.
  void tick();

  QTimer *timer() const { return Timer1; }
  QUdpSocket *socket() const { return socket_; }
  const QHostAddress &destination() const { return destination_; }
  BroadcastState &state() { return state_; }

private:
  BroadcastState &state_;
  QHostAddress destination_;
  QUdpSocket *socket_ = nullptr;
  QTimer *Timer1 = nullptr;
};
