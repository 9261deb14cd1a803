#pragma once

#include <QByteArray>

#include <array>

// The broadcast sender's queue: slots 1..queue_count hold the waiting
// packets, slot 1 (broadcast_queue[0]) at the head. A producer sets
// broadcast_port, opens the socket, starts the timer and queues with
// BroadcastQueue::enqueue.
struct BroadcastState {
  static constexpr int kQueueSlots = 200;
  std::array<QByteArray, kQueueSlots> broadcast_queue; // [0] is slot 1, the head
  int queue_count = 0;
  int broadcast_port = 0; // 0: not configured, nothing is sent
};
