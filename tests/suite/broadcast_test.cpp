#include "suite/broadcast_queue.h"
#include "suite/commentator_udp_form.h"
#include "support/test_env.h"

#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

// The sender aimed at a receiver on 127.0.0.1: nothing is ever broadcast.
struct Sender {
  BroadcastState state;
  LoopbackReceiver receiver;
  BroadcastQueue sender{state, QHostAddress(QHostAddress::LocalHost)};
  TCommentator_udp_form form{sender};

  void queue(const QByteArray &text) { QVERIFY(sender.enqueue(text)); }
  // Sends a marker from another socket and waits for it, so every datagram
  // the sender sent before is in by then.
  bool settle() {
    const int before = int(receiver.datagrams.size());
    if (!send_loopback(receiver.port(), "marker"))
      return false;
    if (!receiver.wait_for(before + 1))
      return false;
    if (receiver.datagrams.last() != "marker")
      return false;
    receiver.datagrams.removeLast();
    return true;
  }
};

class BroadcastTest : public QObject {
  Q_OBJECT
private slots:
  void created_idle();
  void drains_one_per_tick_in_order();
  void datagram_is_text_and_eop_data();
  void datagram_is_text_and_eop();
  void held_back_data();
  void held_back();
  void failed_send_keeps_the_head();
  void double_click_empties_the_list();
  void full_queue_of_200();
  void socket_may_broadcast();
};

void BroadcastTest::created_idle() {
  Sender s;
  QVERIFY(!s.sender.timer()->isActive());
  QCOMPARE(s.sender.timer()->interval(), 1000);
  QVERIFY(!s.sender.socket_open());
  QVERIFY(!s.form.isVisible());
  QCOMPARE(s.form.windowTitle(), QString("Commentator_udp_form"));
  QCOMPARE(s.form.pos(), QPoint(0, 0));
  QCOMPARE(s.state.queue_count, 0);
  QCOMPARE(s.state.broadcast_port, 0);
}

void BroadcastTest::drains_one_per_tick_in_order() {
  Sender s;
  QVERIFY(s.receiver.bound());
  s.state.broadcast_port = s.receiver.port();
  QVERIFY(s.sender.open_socket());
  s.queue("A");
  s.queue("B");
  s.queue("C");

  const QList<QByteArray> expected = {"A{eop}", "B{eop}", "C{eop}"};
  for (int tick = 0; tick < 3; ++tick) {
    s.sender.tick();
    QVERIFY(s.receiver.wait_for(tick + 1));
    QCOMPARE(s.receiver.datagrams.size(), tick + 1);
    QCOMPARE(s.receiver.datagrams[tick], expected[tick]);
    QCOMPARE(s.state.queue_count, 2 - tick);
    for (int slot = 0; slot < 3; ++slot) {
      const QByteArray want = slot < 2 - tick ? QByteArray(1, char('B' + tick + slot)) : QByteArray();
      QCOMPARE(s.state.broadcast_queue[slot], want);
    }
  }
  s.sender.tick(); // empty queue: nothing
  QVERIFY(s.settle());
  QCOMPARE(s.receiver.datagrams, expected);
  QCOMPARE(s.state.queue_count, 0);
}

void BroadcastTest::datagram_is_text_and_eop_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QByteArray>("datagram");
  QTest::newRow("empty") << QByteArray() << QByteArray("{eop}");
  QTest::newRow("tagged") << QByteArray("{scratch}+{title}X") << QByteArray("{scratch}+{title}X{eop}");
  QTest::newRow("8-bit") << QByteArray("\xe9\xff") << QByteArray("\xe9\xff{eop}");
  QTest::newRow("1000 bytes") << QByteArray(1000, 'z') << QByteArray(1000, 'z') + "{eop}";
}

void BroadcastTest::datagram_is_text_and_eop() {
  QFETCH(QByteArray, text);
  QFETCH(QByteArray, datagram);
  Sender s;
  s.state.broadcast_port = s.receiver.port();
  QVERIFY(s.sender.open_socket());
  s.queue(text);
  s.sender.tick();
  QVERIFY(s.receiver.wait_for(1));
  QCOMPARE(s.receiver.datagrams, QList<QByteArray>{datagram});
  QCOMPARE(s.state.queue_count, 0);
}

void BroadcastTest::held_back_data() {
  QTest::addColumn<bool>("port_set");
  QTest::addColumn<bool>("socket_open");
  QTest::newRow("port 0") << false << true;
  QTest::newRow("socket closed") << true << false;
  QTest::newRow("neither") << false << false;
}

void BroadcastTest::held_back() {
  QFETCH(bool, port_set);
  QFETCH(bool, socket_open);
  Sender s;
  if (port_set)
    s.state.broadcast_port = s.receiver.port();
  if (socket_open)
    QVERIFY(s.sender.open_socket());
  s.queue("A");
  s.queue("B");
  for (int tick = 0; tick < 5; ++tick)
    s.sender.tick();
  QVERIFY(s.settle());
  QVERIFY(s.receiver.datagrams.isEmpty());
  QCOMPARE(s.state.queue_count, 2);
  QCOMPARE(s.state.broadcast_queue[0], QByteArray("A"));
  QCOMPARE(s.state.broadcast_queue[1], QByteArray("B"));
}

void BroadcastTest::failed_send_keeps_the_head() {
  Sender s;
  s.state.broadcast_port = s.receiver.port();
  QVERIFY(s.sender.open_socket());
  // Too large for one UDP datagram: the system refuses the send.
  const QByteArray too_large(70000, 'q');
  s.queue(too_large);
  s.queue("B");
  for (int tick = 0; tick < 3; ++tick) {
    s.sender.tick();
    QCOMPARE(s.state.queue_count, 2);
    QCOMPARE(s.state.broadcast_queue[0], too_large);
    QCOMPARE(s.state.broadcast_queue[1], QByteArray("B"));
  }
  QVERIFY(s.settle());
  QVERIFY(s.receiver.datagrams.isEmpty()); // B did not jump the queue
  // Once the head can go, the next tick sends it, then B.
  s.state.broadcast_queue[0] = "A";
  s.sender.tick();
  s.sender.tick();
  QVERIFY(s.receiver.wait_for(2));
  QCOMPARE(s.receiver.datagrams, (QList<QByteArray>{"A{eop}", "B{eop}"}));
  QCOMPARE(s.state.queue_count, 0);
}

void BroadcastTest::double_click_empties_the_list() {
  Sender s;
  s.form.show();
  s.form.list()->addItems({"one", "two"});
  // Below the items, where no item is.
  const QPoint empty_place(5, s.form.list()->viewport()->height() - 5);
  QVERIFY(!s.form.list()->itemAt(empty_place));
  QTest::mouseDClick(s.form.list()->viewport(), Qt::LeftButton, {}, empty_place);
  QCOMPARE(s.form.list()->count(), 0);
  s.form.list()->addItems({"one", "two"});
  QTest::mouseDClick(s.form.list()->viewport(), Qt::LeftButton, {},
                     s.form.list()->visualItemRect(s.form.list()->item(1)).center());
  QCOMPARE(s.form.list()->count(), 0);
}

// A full queue: the head leaves, the 200th packet moves up to slot 199 and
// slot 200 is free for the next one.
void BroadcastTest::full_queue_of_200() {
  Sender s;
  s.state.broadcast_port = s.receiver.port();
  QVERIFY(s.sender.open_socket());
  for (int i = 1; i <= BroadcastState::kQueueSlots; ++i)
    s.queue("P" + QByteArray::number(i));
  QCOMPARE(s.state.queue_count, 200);
  QVERIFY(!s.sender.enqueue("P201")); // a full queue takes no more
  QCOMPARE(s.state.broadcast_queue[199], QByteArray("P200"));
  s.sender.tick();
  QVERIFY(s.receiver.wait_for(1));
  QCOMPARE(s.receiver.datagrams, QList<QByteArray>{"P1{eop}"});
  QCOMPARE(s.state.queue_count, 199);
  QCOMPARE(s.state.broadcast_queue[0], QByteArray("P2"));
  QCOMPARE(s.state.broadcast_queue[198], QByteArray("P200"));
  QCOMPARE(s.state.broadcast_queue[199], QByteArray());
  s.queue("P201");
  QCOMPARE(s.state.queue_count, 200);
  for (int tick = 0; tick < 200; ++tick)
    s.sender.tick();
  QVERIFY(s.receiver.wait_for(201, 10000));
  QCOMPARE(s.receiver.datagrams.value(199), QByteArray("P200{eop}"));
  QCOMPARE(s.receiver.datagrams.value(200), QByteArray("P201{eop}"));
  QCOMPARE(s.state.queue_count, 0);
}

// It may broadcast and listens on every interface; the program's destination
// is the broadcast address (read back, never sent to).
void BroadcastTest::socket_may_broadcast() {
  BroadcastState state;
  BroadcastQueue sender(state);
  QCOMPARE(sender.destination(), QHostAddress(QStringLiteral("255.255.255.255")));
  QVERIFY(sender.open_socket());
  QCOMPARE(broadcast_option(*sender.socket()), 1);
  QCOMPARE(sender.socket()->localAddress(), QHostAddress(QHostAddress::AnyIPv4));
  QVERIFY(sender.socket()->localPort() != 0);
}

QTEST_MAIN(BroadcastTest)
#include "broadcast_test.moc"
