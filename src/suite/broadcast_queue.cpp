#include "broadcast_queue.h"

#include <QTimer>
#include <QUdpSocket>

BroadcastQueue::BroadcastQueue(BroadcastState &state, const QHostAddress &destination,
                               QObject *parent)
    : QObject(parent), state_(state), destination_(destination), socket_(new QUdpSocket(this)),
      Timer1(new QTimer(this)) {
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &BroadcastQueue::tick);
  Timer1->stop();
  for (QByteArray &slot : state_.broadcast_queue)
    slot.clear();
}

BroadcastQueue::~BroadcastQueue() = default;

bool BroadcastQueue::enqueue(const QByteArray &text) {
  if (state_.queue_count < 0 || state_.queue_count >= BroadcastState::kQueueSlots)
    return false;
  state_.broadcast_queue[size_t(state_.queue_count)] = text;
  ++state_.queue_count;
  return true;
}

bool BroadcastQueue::open_socket() {
  if (socket_open())
    return true;
  return socket_->bind(QHostAddress::AnyIPv4, 0);
}

bool BroadcastQueue::socket_open() const {
  return socket_->state() == QAbstractSocket::BoundState;
}

void BroadcastQueue::tick() {
  if (state_.queue_count <= 0)
    return;
  if (state_.broadcast_port == 0)
    return;
  if (!socket_open())
    return;
  const QByteArray datagram = state_.broadcast_queue[0] + "{eop}";
  if (socket_->writeDatagram(datagram, destination_, quint16(state_.broadcast_port)) !=
      datagram.size())
    return; // kept at the head; the next tick tries again
  const int count = qMin(state_.queue_count, BroadcastState::kQueueSlots);
  for (int i = 1; i < count; ++i)
    state_.broadcast_queue[i - 1] = state_.broadcast_queue[i];
  state_.broadcast_queue[count - 1].clear();
  state_.queue_count = count - 1;
}
