#include "rtd/rtd_driver.h"
#include "rtd/rtd_form.h"
#include "support/recording_dialogs.h"
#include "support/pty_pair.h"
#include "support/test_env.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QListView>
#include <QStringListModel>
#include <QScrollBar>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray empty_frame_message(char sequence) {
  return QByteArray("\r") + sequence + "0100  " + QByteArray(200, ' ') + "\r";
}

// One driver aimed at two loopback receivers, with its window as start-up
// makes it, or alone.
struct Rig {
  RecordingDialogs dialogs;
  Seams seams = test_seams(dialogs);
  RtdDriverState state;
  QdSettings settings;
  LoopbackReceiver rtd_rx;
  LoopbackReceiver rx_1500;
  std::unique_ptr<RtdDriver> driver;
  std::unique_ptr<Trtd_form> form;

  explicit Rig(bool with_window = true) {
    state.rtd_ip_broadcast = false; // creation must switch it on
    driver = std::make_unique<RtdDriver>(state, settings, seams);
    if (with_window)
      form = std::make_unique<Trtd_form>(*driver, seams);
    RtdDestinations d;
    d.address = QHostAddress(QHostAddress::LocalHost);
    d.rtd_default_port = rtd_rx.port();
    d.port_1500 = rx_1500.port();
    driver->set_destinations(d);
  }
  void send(int com = 0, const RtdLines &lines = {}) {
    driver->rtd_send(com, rtd_rx.port(), settings.qd_code, lines);
  }
};

} // namespace

class TestRtdDriver : public QObject {
  Q_OBJECT
private slots:
  void created_closed_with_switch_on();
  void sequence_over_eight_sends_on_both_outputs();
  void rtd_port_zero_uses_default_port();
  void lines_are_cut_and_padded_on_the_wire();
  void serial_output_on_a_pseudo_terminal();
  void missing_serial_port_data();
  void missing_serial_port();
  void ip_broadcast_switch_data();
  void ip_broadcast_switch();
  void log_keeps_newest_100_data();
  void log_keeps_newest_100();
  void show_clears_and_hide_closes();
  void message_list_lines();
  void send_inside_send_keeps_order();
};

void TestRtdDriver::created_closed_with_switch_on() {
  Rig rig;
  QVERIFY(rig.state.rtd_ip_broadcast);
  QCOMPARE(rig.state.rtd_sequence, 0);
  QCOMPARE(rig.form->windowTitle(), QStringLiteral("c"));
  QCOMPARE(rig.driver->caption(), QStringLiteral("c"));
  QVERIFY(rig.driver->log_lines().isEmpty());
  QVERIFY(!rig.driver->serial_open());
  QVERIFY(!rig.driver->rtd_socket_open());
  QVERIFY(!rig.driver->socket_1500_open());
}

void TestRtdDriver::sequence_over_eight_sends_on_both_outputs() {
  Rig rig(false); // the driver works without its window
  QVERIFY(rig.rtd_rx.bound() && rig.rx_1500.bound());
  const char digits[] = "12345601";
  for (int i = 0; i < 8; ++i)
    rig.send();
  QVERIFY(rig.rtd_rx.wait_for(8));
  QVERIFY(rig.rx_1500.wait_for(8));
  QCOMPARE(rig.rtd_rx.datagrams.size(), 8);
  QCOMPARE(rig.rx_1500.datagrams.size(), 8);
  for (int i = 0; i < 8; ++i) {
    QCOMPARE(rig.rtd_rx.datagrams[i], empty_frame_message(digits[i]));
    QCOMPARE(rig.rtd_rx.datagrams[i].size(), 209);
    QCOMPARE(rig.rx_1500.datagrams[i], rig.rtd_rx.datagrams[i]);
  }
  const QStringList log = rig.driver->log_lines();
  const QString p = QString::number(rig.rtd_rx.port());
  QCOMPARE(log.value(0), "opening WINSOCK " + p + " for RTD");
  QCOMPARE(log.value(1), "WSOCK " + p + ">" + QString::fromLatin1(empty_frame_message('1')));
  QCOMPARE(log.value(2),
           "opening WINSOCK " + QString::number(rig.rx_1500.port()) + " for 1500 RTD");
  QCOMPARE(log.size(), 10); // each output opened once, then one WSOCK line per send
  QCOMPARE(rig.driver->caption(), QStringLiteral("v2.06 Quillforge RTD Driver COM=0 IP broadcast enabled"));
  QVERIFY(!rig.driver->serial_open());
  QVERIFY(rig.dialogs.boxes.isEmpty());
}

void TestRtdDriver::rtd_port_zero_uses_default_port() {
  Rig rig;
  rig.driver->rtd_send(0, 0, 1, {});
  QVERIFY(rig.rtd_rx.wait_for(1));
  QCOMPARE(rig.rtd_rx.datagrams[0], empty_frame_message('1'));
  QCOMPARE(rig.driver->log_lines().value(0),
           "opening WINSOCK " + QString::number(rig.rtd_rx.port()) + " for RTD");
}

void TestRtdDriver::lines_are_cut_and_padded_on_the_wire() {
  Rig rig;
  RtdLines lines;
  lines[0] = "FINAL SPRINT";
  lines[1] = QByteArray(30, 'x');
  lines[7] = "\xc9T\xc9"; // 8-bit text leaves as typed
  rig.driver->rtd_send(0, rig.rtd_rx.port(), 12, lines);
  QVERIFY(rig.rx_1500.wait_for(1));
  const QByteArray expected = QByteArray("\r11200  ") + "FINAL SPRINT" + QByteArray(13, ' ') +
                              QByteArray(25, 'x') + QByteArray(125, ' ') + "\xc9T\xc9" +
                              QByteArray(22, ' ') + "\r";
  QCOMPARE(rig.rx_1500.datagrams[0], expected);
  QVERIFY(rig.rtd_rx.wait_for(1));
  QCOMPARE(rig.rtd_rx.datagrams[0], expected);
}

void TestRtdDriver::serial_output_on_a_pseudo_terminal() {
  PtyPair pty;
  QVERIFY2(pty.ok(), "openpty failed");
  Rig rig;
  QList<int> asked;
  rig.seams.serial_device = [&](int n) {
    asked << n;
    return pty.slave_name();
  };
  rig.send(3);
  rig.send(3);
  QVERIFY2(rig.driver->serial_open(), qPrintable(rig.driver->log_lines().join('|')));
  const QByteArray expected = empty_frame_message('1') + empty_frame_message('2');
  QCOMPARE(pty.read_bytes(expected.size()), expected);
  QCOMPARE(asked, QList<int>{3}); // opened once, kept open
  const QStringList log = rig.driver->log_lines();
  QCOMPARE(log.value(0), QStringLiteral("opening COM3 for RTD"));
  QCOMPARE(log.value(2), "COM3>" + QString::fromLatin1(empty_frame_message('1')));
  QCOMPARE(rig.form->windowTitle(), QStringLiteral("v2.06 Quillforge RTD Driver COM=3 IP broadcast enabled"));
  QCOMPARE(pty.line_settings(), QStringLiteral("9600 8N1"));
  QVERIFY(rig.rtd_rx.wait_for(2));
  QVERIFY(rig.rx_1500.wait_for(2));
  QCOMPARE(rig.rx_1500.datagrams[1], empty_frame_message('2'));
}

void TestRtdDriver::missing_serial_port_data() {
  QTest::addColumn<int>("com");
  QTest::addColumn<QString>("device");
  QTest::addColumn<bool>("serial_port_error");
  QTest::newRow("COM1 missing") << 1 << "/dev/no-such-rtd-port-1" << true;
  QTest::newRow("COM7 missing") << 7 << "/dev/no-such-rtd-port-7" << true;
  QTest::newRow("COM2 not a serial line") << 2 << "/dev/null" << false;
}

void TestRtdDriver::missing_serial_port() {
  QFETCH(int, com);
  QFETCH(QString, device);
  QFETCH(bool, serial_port_error);
  Rig rig;
  rig.seams.serial_device = [&](int) { return device; };
  rig.send(com);
  rig.send(com);
  const QString opening = QStringLiteral("opening COM%1 for RTD").arg(com);
  const QString error = QStringLiteral("ERROR opening COM %1. RTD serial output disabled.").arg(com);
  const QStringList log = rig.driver->log_lines();
  QCOMPARE(log.count(opening), 2); // every send tries again
  QCOMPARE(log.value(0), opening);
  QVERIFY(!rig.driver->serial_open());
  if (serial_port_error) {
    // Logged; the send goes on to the UDP outputs.
    QCOMPARE(log.count(error), 2);
    QCOMPARE(log.value(1), error);
    QVERIFY(rig.rtd_rx.wait_for(2));
    QVERIFY(rig.rx_1500.wait_for(2));
    QVERIFY(rig.dialogs.boxes.isEmpty());
    return;
  }
  // Any other failure abandons the send and is shown by the general error
  // report: nothing more is logged or sent, the caption stays.
  QCOMPARE(log, (QStringList{opening, opening}));
  QCOMPARE(rig.dialogs.boxes.size(), 2);
  QCOMPARE(rig.dialogs.boxes[0].kind, QStringLiteral("error"));
  QVERIFY2(rig.dialogs.boxes[0].text.contains(device), qPrintable(rig.dialogs.boxes[0].text));
  QVERIFY(!rig.rx_1500.wait_for(1, 300));
  QVERIFY(rig.rtd_rx.datagrams.isEmpty());
  QCOMPARE(rig.state.rtd_sequence, 0);
  QCOMPARE(rig.form->windowTitle(), QStringLiteral("c"));
}

void TestRtdDriver::ip_broadcast_switch_data() {
  QTest::addColumn<bool>("on");
  QTest::addColumn<int>("rtd_datagrams");
  QTest::addColumn<QString>("caption_end");
  QTest::newRow("on") << true << 2 << QStringLiteral(" IP broadcast enabled");
  QTest::newRow("off") << false << 0 << QStringLiteral(" IP broadcast DISabled");
}

void TestRtdDriver::ip_broadcast_switch() {
  QFETCH(bool, on);
  QFETCH(int, rtd_datagrams);
  QFETCH(QString, caption_end);
  Rig rig;
  rig.driver->rtd_set_ip_broadcast(on);
  QCOMPARE(rig.state.rtd_ip_broadcast, on);
  rig.send();
  rig.send();
  QVERIFY(rig.rx_1500.wait_for(2));
  // Give any RTD datagram that was sent the same chance to arrive.
  rig.rtd_rx.wait_for(rtd_datagrams, 500);
  QTest::qWait(0);
  QCOMPARE(rig.rtd_rx.datagrams.size(), rtd_datagrams);
  QVERIFY(rig.driver->rtd_socket_open()); // opened whether or not the switch is on
  const QStringList log = rig.driver->log_lines();
  QCOMPARE(log.value(0),
           "opening WINSOCK " + QString::number(rig.rtd_rx.port()) + " for RTD");
  int wsock_lines = 0;
  for (const QString &l : log)
    wsock_lines += l.startsWith("WSOCK ") ? 1 : 0;
  QCOMPARE(wsock_lines, rtd_datagrams);
  QVERIFY(rig.form->windowTitle().endsWith(caption_end));
}

void TestRtdDriver::log_keeps_newest_100_data() {
  QTest::addColumn<int>("added");
  QTest::addColumn<int>("kept");
  QTest::newRow("2") << 2 << 2;
  QTest::newRow("100") << 100 << 100;
  QTest::newRow("101") << 101 << 100;
  QTest::newRow("150") << 150 << 100;
}

void TestRtdDriver::log_keeps_newest_100() {
  QFETCH(int, added);
  QFETCH(int, kept);
  Rig rig;
  rig.form->show();
  for (int i = 1; i <= added; ++i)
    rig.driver->rtd_log(QStringLiteral("line %1").arg(i));
  const QStringList log = rig.driver->log_lines();
  QCOMPARE(log.size(), kept);
  QCOMPARE(log.first(), QStringLiteral("line %1").arg(added - kept + 1));
  QCOMPARE(log.last(), QStringLiteral("line %1").arg(added));
  if (added > 2) // scrolled towards the end: the second-newest line is at or above the top
    QVERIFY2(rig.form->log_top_index() >= kept / 2, qPrintable(QString::number(rig.form->log_top_index())));
}

void TestRtdDriver::show_clears_and_hide_closes() {
  PtyPair pty;
  QVERIFY(pty.ok());
  Rig rig;
  rig.seams.serial_device = [&](int) { return pty.slave_name(); };
  rig.driver->rtd_log("before showing");
  rig.form->show();
  QVERIFY(rig.driver->log_lines().isEmpty());
  QCOMPARE(rig.form->windowTitle(), QStringLiteral("v2.06 Quillforge RTD Driver COM=0 IP broadcast enabled"));
  rig.send(2);
  QVERIFY(rig.driver->serial_open());
  QVERIFY(rig.driver->rtd_socket_open());
  rig.form->hide();
  QVERIFY(!rig.driver->serial_open());
  QVERIFY(!rig.driver->rtd_socket_open());
  QVERIFY(rig.driver->socket_1500_open());
  const int before = rig.driver->log_lines().size();
  rig.send(2);
  const QStringList after = rig.driver->log_lines().mid(before);
  QCOMPARE(after.value(0), QStringLiteral("opening COM2 for RTD"));
  QVERIFY(after.value(1).startsWith("opening WINSOCK "));
  QVERIFY(!after.join('|').contains("1500 RTD")); // the 1500 socket stayed open
  QVERIFY(rig.rx_1500.wait_for(2));
}

// Lines 11 px high on a list that scrolls 3000 px sideways, in a green box.
void TestRtdDriver::message_list_lines() {
  Rig rig;
  rig.form->show();
  rig.driver->rtd_log("short");
  rig.driver->rtd_log(QString(400, 'W')); // wider than 3000 px in any font here
  QListView *list = rig.form->message_list();
  QCoreApplication::processEvents();
  const QRect first = list->visualRect(list->model()->index(0, 0));
  QCOMPARE(first.height(), 11);
  QCOMPARE(list->visualRect(list->model()->index(1, 0)).top() - first.top(), 11);
  QCOMPARE(list->horizontalScrollBar()->maximum() + list->viewport()->width(), 3000);
  QVERIFY(rig.form->messages_box()->autoFillBackground());
  QCOMPARE(rig.form->messages_box()->palette().color(QPalette::Window), QColor(0x00, 0x80, 0x00));
}

void TestRtdDriver::send_inside_send_keeps_order() {
  Rig rig;
  RtdLines first;
  first[0] = "FIRST";
  RtdLines second;
  second[0] = "SECOND";
  int passes = 0;
  rig.seams.process_events = [&] {
    QCoreApplication::processEvents();
    if (++passes == 1)
      rig.driver->rtd_send(0, rig.rtd_rx.port(), 1, second); // a click in the event pass
  };
  rig.driver->rtd_send(0, rig.rtd_rx.port(), 1, first);
  QVERIFY(rig.rtd_rx.wait_for(2));
  QVERIFY(rig.rx_1500.wait_for(2));
  for (const QList<QByteArray> *got : {&rig.rtd_rx.datagrams, &rig.rx_1500.datagrams}) {
    QCOMPARE(got->size(), 2);
    QCOMPARE(got->at(0).mid(8, 6), QByteArray("FIRST "));
    QCOMPARE(got->at(0).at(1), '1');
    QCOMPARE(got->at(1).mid(8, 6), QByteArray("SECOND"));
    QCOMPARE(got->at(1).at(1), '2');
  }
}

QTEST_MAIN(TestRtdDriver)
#include "rtd_driver_test.moc"
