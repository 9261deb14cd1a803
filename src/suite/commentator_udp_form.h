#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QWidget>

#include <array>

class QListWidget;
class QTimer;
class QUdpSocket;

// The broadcast sender's queue. A producer sets broadcast_port, opens the
// window's socket and starts its timer, then queues a packet by storing it in
// broadcast_queue[queue_count] (slot queue_count + 1, counting from 1) and
// raising queue_count; never beyond kQueueSlots.
struct BroadcastState {
  static constexpr int kQueueSlots = 200;
  std::array<QByteArray, kQueueSlots> broadcast_queue; // [0] is slot 1, the head
  int queue_count = 0;
  int broadcast_port = 0; // 0: not configured, nothing is sent
};

// The UDP broadcast sender: one queued packet per second, closed by "{eop}";
// a failed send keeps the packet at the head for the next tick.
class TCommentator_udp_form : public QWidget {
  Q_OBJECT
public:
  explicit TCommentator_udp_form(BroadcastState &state,
                                 const QHostAddress &destination = QHostAddress(QHostAddress::Broadcast),
                                 QWidget *parent = nullptr);
  ~TCommentator_udp_form() override;

  // The producer's part: bind the socket to any free local port; true when open.
  bool open_socket();
  bool socket_open() const;
  QTimer *timer() const { return Timer1; }
  QListWidget *list() const { return ListBox1; }

  // One tick: sends the head packet, if any and if the sender is configured.
  void Timer1Timer();
  void ListBox1DblClick();

  QUdpSocket *socket() const { return socket_; }
  const QHostAddress &destination() const { return destination_; }

protected:
  void resizeEvent(QResizeEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void FormCreate();

  BroadcastState &state_;
  QHostAddress destination_;
  QUdpSocket *socket_ = nullptr;
  QTimer *Timer1 = nullptr;
  QListWidget *ListBox1 = nullptr;
};
