#include "seiko/seiko_monitor.h"
#include "seiko/seikomon_form.h"
#include "seiko/seikoreradu_form.h"
#include "support/recording_dialogs.h"
#include "support/pty_pair.h"
#include "support/test_env.h"
#include "toolkit/led_label.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <memory>

namespace {

const QByteArray kEnd("\x02" "003C63" "\x03", 8);
const QByteArray kFence("#");

QByteArray panel_msg(int panel, const QByteArray &ten) {
  return "\x02" "015D0" + QByteArray::number(panel) + "01" + ten + "\x03";
}

QByteArray all_panels(const QByteArray &ten) {
  QByteArray out;
  for (int p = 1; p <= 6; ++p)
    out += panel_msg(p, ten);
  return out;
}

// The monitor connected to a local display stand-in; its own timer stopped
// so only the ticks a test makes are sent.
struct Rig {
  RecordingDialogs dialogs;
  Seams seams = test_seams(dialogs);
  QList<int> ports_asked;
  QString device = "/dev/null-no-such-tty";
  SeikoMonitorState state;
  std::unique_ptr<SeikoMonitor> driver;
  std::unique_ptr<Tseikomon_form> monitor;
  QTcpServer server;
  QTcpSocket *peer = nullptr;
  QByteArray received;

  explicit Rig(bool connect = true) {
    seams.serial_device = [this](int port) {
      ports_asked << port;
      return device;
    };
    driver = std::make_unique<SeikoMonitor>(state, seams);
    monitor = std::make_unique<Tseikomon_form>(*driver, seams);
    driver->timer()->stop();
    driver->clock = [] { return clock_time{9, 5, 3, 1200}; };
    if (connect)
      connect_display();
  }
  bool connect_display() {
    if (!server.listen(QHostAddress::LocalHost, 0))
      return false;
    driver->connect_display("127.0.0.1", server.serverPort());
    if (!wait_until([&] {
          return server.hasPendingConnections() &&
                 driver->display()->state() == QAbstractSocket::ConnectedState;
        }))
      return false;
    peer = server.nextPendingConnection();
    QObject::connect(peer, &QTcpSocket::readyRead, [this] { received += peer->readAll(); });
    return true;
  }
  // Everything sent so far, closed by a marker written behind it.
  QByteArray sent() {
    if (!peer)
      return {};
    driver->display()->write(kFence);
    const qsizetype before = received.size();
    wait_until([&] { return received.endsWith(kFence) && received.size() > before - 1; });
    QByteArray out = received;
    received.clear();
    if (out.endsWith(kFence))
      out.chop(1);
    return out;
  }
  QStringList readouts() const {
    QStringList out;
    for (int p = 1; p <= 6; ++p)
      out << monitor->panel_label(p)->text();
    return out;
  }
};

QStringList six(const QString &text) { return QStringList(6, text) ; }

QColor face(QPushButton *b) { return b->palette().color(QPalette::Button); }

} // namespace

class MonitorTest : public QObject {
  Q_OBJECT
private slots:
  void created_hidden_and_idle();
  void tod_tick_sends_128_bytes();
  void ticks_send_nothing_data();
  void ticks_send_nothing();
  void clear_data();
  void clear();
  void set_panel_data();
  void set_panel();
  void negative_panel_only_keeps_the_selector();
  void hidden_end_update_still_sends();
  void show_resets_data();
  void show_resets();
  void unconnected_display_is_no_error();
  void serial_line_over_a_pty_data();
  void serial_line_over_a_pty();
  void serial_failure_ends_the_handler_data();
  void serial_failure_ends_the_handler();
  void ticks_every_990_ms();
  void message_places_the_typewriter();
};

void MonitorTest::created_hidden_and_idle() {
  RecordingDialogs dialogs;
  SeikoMonitorState state;
  state.tod_on = true;
  state.panel_count = 2;
  const Seams seams = test_seams(dialogs);
  SeikoMonitor driver(state, seams);
  Tseikomon_form monitor(driver, seams);
  QVERIFY(!monitor.isVisible());
  QCOMPARE(monitor.windowTitle(), QString("1.33 Marrick's Quillforge Seiko Monitor | Winsock ONLY"));
  QVERIFY(driver.timer()->isActive());
  QCOMPARE(driver.timer()->interval(), 990);
  QCOMPARE(state.tod_on, false);
  QCOMPARE(state.panel_count, 6);
  QCOMPARE(state.serial_selector, 0);
  QCOMPARE(state.display_port, quint16(29099));
  QCOMPARE(monitor.tod_button()->text(), QString("Send TOD"));
  QCOMPARE(face(monitor.tod_button()), QColor(0, 128, 128));
  QCOMPARE(monitor.clear_button()->text(), QString("Clear"));
  QCOMPARE(monitor.msg_button()->text(), QString("Message"));
  QCOMPARE(monitor.size(), QSize(825, 26));
  QCOMPARE(monitor.panel_label(3)->geometry(), QRect(196, 2, 97, 20));
  QCOMPARE(monitor.panel_label(6)->geometry(), QRect(488, 2, 93, 20));
  QCOMPARE(monitor.panel_label(1)->segment_width(), 4);
  QCOMPARE(monitor.panel_label(1)->segment_height(), 5);
  QCOMPARE(monitor.panel_label(1)->stroke(), 1);
  QCOMPARE(monitor.panel_label(1)->active_colour(), QColor(255, 255, 0));
  QCOMPARE(driver.display()->state(), QAbstractSocket::UnconnectedState);
}

void MonitorTest::tod_tick_sends_128_bytes() {
  Rig rig;
  QVERIFY(rig.peer);
  rig.monitor->show();
  rig.monitor->tod_btnClick();
  QVERIFY(rig.state.tod_on);
  QCOMPARE(rig.monitor->tod_button()->text(), QString("STOP TOD"));
  QCOMPARE(face(rig.monitor->tod_button()), QColor(255, 0, 0));
  QCOMPARE(rig.sent(), QByteArray()); // switching on sends nothing by itself

  rig.monitor->rTimer();
  QByteArray expected;
  for (int p = 1; p <= 6; ++p) {
    expected += '\x02';
    expected += "015D0" + QByteArray::number(p) + "01";
    expected += "09:05:03  ";
    expected += '\x03';
  }
  expected += kEnd;
  const QByteArray got = rig.sent();
  QCOMPARE(got.size(), 128);
  QCOMPARE(got, expected);
  QCOMPARE(rig.readouts(), six("09:05:03  "));
  QCOMPARE(rig.state.panel_texts[5], QByteArray("09:05:03  "));

  rig.driver->clock = [] { return clock_time{23, 59, 59, 9990}; };
  rig.monitor->rTimer();
  QCOMPARE(rig.sent(), all_panels("23:59:59  ") + kEnd);

  rig.monitor->tod_btnClick(); // off again
  QCOMPARE(rig.monitor->tod_button()->text(), QString("Send TOD"));
  rig.monitor->rTimer();
  QCOMPARE(rig.sent(), QByteArray());
}

void MonitorTest::ticks_send_nothing_data() {
  QTest::addColumn<bool>("visible");
  QTest::addColumn<bool>("tod");
  QTest::newRow("hidden, time of day on") << false << true;
  QTest::newRow("shown, time of day off") << true << false;
  QTest::newRow("hidden, time of day off") << false << false;
}

void MonitorTest::ticks_send_nothing() {
  QFETCH(bool, visible);
  QFETCH(bool, tod);
  Rig rig;
  QVERIFY(rig.peer);
  if (visible)
    rig.monitor->show();
  rig.state.tod_on = tod;
  for (int i = 0; i < 3; ++i)
    rig.monitor->rTimer();
  QCOMPARE(rig.sent(), QByteArray());
  QCOMPARE(rig.state.panel_texts[0], QByteArray());
}

void MonitorTest::clear_data() {
  QTest::addColumn<bool>("tod");
  QTest::newRow("time of day on") << true;
  QTest::newRow("time of day off") << false;
}

void MonitorTest::clear() {
  QFETCH(bool, tod);
  Rig rig;
  QVERIFY(rig.peer);
  rig.monitor->show();
  rig.driver->set_panel(0, 4, "OLD");
  rig.driver->end_update(0);
  rig.sent();
  if (tod)
    rig.monitor->tod_btnClick();
  rig.monitor->clear_button()->click();
  QCOMPARE(rig.sent(), all_panels(QByteArray(10, ' ')) + kEnd);
  QCOMPARE(rig.state.tod_on, false);
  QCOMPARE(rig.monitor->tod_button()->text(), QString("Send TOD"));
  QCOMPARE(face(rig.monitor->tod_button()), QColor(0, 128, 128));
  QCOMPARE(rig.readouts(), six(QString(10, ' ')));
  rig.monitor->rTimer(); // the time of day stays off
  QCOMPARE(rig.sent(), QByteArray());
}

void MonitorTest::set_panel_data() {
  QTest::addColumn<int>("panel");
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QByteArray>("fitted");
  QTest::newRow("twelve characters") << 1 << QByteArray("ABCDEFGHIJKL") << QByteArray("ABCDEFGHIJ");
  QTest::newRow("two characters") << 3 << QByteArray("AB") << QByteArray("AB        ");
  QTest::newRow("empty") << 6 << QByteArray() << QByteArray(10, ' ');
  QTest::newRow("exactly ten") << 2 << QByteArray("0123456789") << QByteArray("0123456789");
  QTest::newRow("8-bit") << 5 << QByteArray("caf\xe9") << QByteArray("caf\xe9      ");
}

void MonitorTest::set_panel() {
  QFETCH(int, panel);
  QFETCH(QByteArray, text);
  QFETCH(QByteArray, fitted);
  Rig rig;
  QVERIFY(rig.peer);
  rig.monitor->show();
  rig.driver->set_panel(0, panel, text);
  QCOMPARE(rig.sent(), panel_msg(panel, fitted));
  QCOMPARE(rig.state.panel_texts[panel - 1], fitted);
  QCOMPARE(rig.readouts(), six(QString())); // not before end_update
  rig.driver->end_update(0);
  QCOMPARE(rig.sent(), kEnd);
  QStringList want = six(QString());
  want[panel - 1] = QString::fromLatin1(fitted);
  QCOMPARE(rig.readouts(), want);
}

void MonitorTest::negative_panel_only_keeps_the_selector() {
  Rig rig;
  QVERIFY(rig.peer);
  rig.monitor->show();
  rig.driver->set_panel(0, 2, "KEEP");
  rig.sent();
  rig.driver->set_panel(3, -1, "LOST");
  QCOMPARE(rig.sent(), QByteArray());
  QCOMPARE(rig.state.serial_selector, 3);
  QCOMPARE(rig.state.panel_texts[1], QByteArray("KEEP      "));
  for (int p : {0, 2, 3, 4, 5})
    QCOMPARE(rig.state.panel_texts[p], QByteArray());
  QVERIFY(rig.ports_asked.isEmpty()); // a negative panel opens no serial line
}

void MonitorTest::hidden_end_update_still_sends() {
  Rig rig;
  QVERIFY(rig.peer);
  rig.driver->set_panel(0, 1, "AB");
  rig.driver->end_update(0);
  QCOMPARE(rig.sent(), panel_msg(1, "AB        ") + kEnd);
  QCOMPARE(rig.state.panel_texts[0], QByteArray("AB        "));
  QCOMPARE(rig.readouts(), six(QString()));
}

void MonitorTest::show_resets_data() {
  QTest::addColumn<bool>("tod");
  QTest::newRow("time of day was on") << true;
  QTest::newRow("time of day was off") << false;
}

void MonitorTest::show_resets() {
  QFETCH(bool, tod);
  Rig rig;
  QVERIFY(rig.peer);
  rig.monitor->show();
  rig.driver->set_panel(0, 1, "TEXT");
  rig.driver->end_update(0);
  rig.monitor->hide();
  rig.monitor->move(300, 300);
  rig.sent();
  rig.state.tod_on = tod;
  rig.monitor->update_tod_button();
  rig.monitor->show();
  QCOMPARE(rig.state.tod_on, false);
  QCOMPARE(rig.monitor->tod_button()->text(), QString("Send TOD"));
  QCOMPARE(face(rig.monitor->tod_button()), QColor(0, 128, 128));
  QCOMPARE(rig.state.panel_texts[0], QByteArray());
  QCOMPARE(rig.readouts(), six(QString()));
  QCOMPARE(rig.monitor->pos(), QPoint(0, -2));
  QCOMPARE(rig.sent(), QByteArray());
}

void MonitorTest::unconnected_display_is_no_error() {
  Rig rig(false);
  rig.monitor->show();
  rig.driver->set_panel(0, 1, "ALONE");
  rig.driver->end_update(0);
  QCOMPARE(rig.state.panel_texts[0], QByteArray("ALONE     "));
  QCOMPARE(rig.monitor->panel_label(1)->text(), QString("ALONE     "));
  QVERIFY(rig.dialogs.boxes.isEmpty());
  // A refused connection is no error either.
  QTcpServer closed;
  QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
  const quint16 port = closed.serverPort();
  closed.close();
  QSignalSpy refused(rig.driver->display(), &QAbstractSocket::errorOccurred);
  rig.driver->connect_display("127.0.0.1", port);
  QVERIFY(refused.wait(3000));
  rig.driver->set_panel(0, 2, "X");
  rig.driver->end_update(0);
  QVERIFY(rig.dialogs.boxes.isEmpty());
}

void MonitorTest::serial_line_over_a_pty_data() {
  QTest::addColumn<int>("selector");
  QTest::newRow("COM1") << 1;
  QTest::newRow("COM4") << 4;
}

void MonitorTest::serial_line_over_a_pty() {
  QFETCH(int, selector);
  PtyPair pty;
  QVERIFY(pty.ok());
  Rig rig;
  QVERIFY(rig.peer);
  rig.device = pty.slave_name();
  rig.monitor->show();
  rig.driver->set_panel(selector, 2, "HI");
  rig.driver->end_update(selector);
  const QByteArray expected = panel_msg(2, "HI        ") + kEnd;
  QCOMPARE(pty.read_bytes(expected.size()), expected);
  QCOMPARE(rig.sent(), expected); // the display connection gets the same
  QCOMPARE(rig.ports_asked.value(0), selector);
  QCOMPARE(rig.state.serial_selector, selector);

  // The monitor's own actions keep the selector: the tick goes to both.
  rig.monitor->tod_btnClick();
  rig.monitor->rTimer();
  const QByteArray tick = all_panels("09:05:03  ") + kEnd;
  QCOMPARE(pty.read_bytes(expected.size() + tick.size()), expected + tick);
  QCOMPARE(rig.sent(), tick);
  QCOMPARE(rig.ports_asked.size(), 1); // opened once, kept open
  QCOMPARE(pty.line_settings(), QString("2400 8N1"));
  QVERIFY(rig.dialogs.boxes.isEmpty());
}

void MonitorTest::serial_failure_ends_the_handler_data() {
  QTest::addColumn<QString>("handler");
  QTest::newRow("time of day") << QString("tick");
  QTest::newRow("Clear") << QString("clear");
  QTest::newRow("typewriter") << QString("typewriter");
}

void MonitorTest::serial_failure_ends_the_handler() {
  QFETCH(QString, handler);
  Rig rig;
  QVERIFY(rig.peer);
  Tseikoreradu_form typewriter(*rig.driver);
  typewriter.line(1)->setText("TYPED");
  rig.monitor->show();
  rig.driver->set_panel(2, -1, ""); // the selector every later action passes on
  auto run = [&] {
    if (handler == "tick") {
      rig.state.tod_on = true;
      rig.monitor->rTimer();
    } else if (handler == "clear") {
      rig.monitor->clear_btnClick();
    } else {
      typewriter.send_lines();
    }
  };

  run();
  run();
  // The failing write ends the handler: no panel after it, no update end,
  // nothing stored, read-outs as they were.
  QCOMPARE(rig.sent(), QByteArray());
  for (const QByteArray &t : rig.state.panel_texts)
    QVERIFY(t.isEmpty());
  QCOMPARE(rig.readouts(), six(QString()));
  QCOMPARE(rig.ports_asked, (QList<int>{2, 2})); // tried again by each handler
  QCOMPARE(rig.dialogs.boxes.size(), 1);           // one box for the run of failures
  QCOMPARE(rig.dialogs.boxes[0].kind, QString("error"));
  QVERIFY2(rig.dialogs.boxes[0].text.contains("COM2"), qPrintable(rig.dialogs.boxes[0].text));

  // Once the line works the handler runs to its end; a later failure is a
  // new run and is reported again.
  PtyPair pty;
  QVERIFY(pty.ok());
  rig.device = pty.slave_name();
  run();
  const QByteArray batch = rig.sent();
  QCOMPARE(batch.size(), 128);
  QCOMPARE(pty.read_bytes(128), batch);
  rig.device = "/dev/null-no-such-tty";
  rig.driver->set_panel(3, -1, "");
  run();
  QCOMPARE(rig.sent(), QByteArray());
  QCOMPARE(rig.dialogs.boxes.size(), 2);
}

void MonitorTest::ticks_every_990_ms() {
  Rig rig(false);
  QTimer *timer = rig.driver->timer();
  QCOMPARE(timer->timerType(), Qt::PreciseTimer);
  // A few ticks measured from the first to the last: a precise timer keeps
  // its schedule, so a late tick does not move the ones after it. The band
  // is wide for a busy machine; a timer rounded to whole seconds or one
  // that stalls falls outside it.
  QSignalSpy ticks(timer, &QTimer::timeout);
  QElapsedTimer clock;
  QList<qint64> at;
  QObject::connect(timer, &QTimer::timeout, [&] { at << clock.elapsed(); });
  clock.start();
  timer->start();
  for (int i = 0; i < 5 && ticks.size() < 5; ++i)
    ticks.wait(3000);
  QCOMPARE(at.size(), 5);
  const double mean = double(at.last() - at.first()) / (at.size() - 1);
  QVERIFY2(mean > 900 && mean < 1080, qPrintable(QString("mean tick %1 ms").arg(mean)));
}

void MonitorTest::message_places_the_typewriter() {
  Rig rig;
  Tseikoreradu_form typewriter(*rig.driver);
  rig.monitor->set_typewriter(&typewriter);
  rig.monitor->show();
  rig.monitor->move(40, 30);
  rig.monitor->tod_btnClick();
  int runs = 0;
  QPoint placed;
  rig.monitor->run_typewriter = [&](Tseikoreradu_form &t) {
    ++runs;
    placed = t.frameGeometry().topLeft();
  };
  rig.monitor->msg_button()->click();
  QCOMPARE(runs, 1);
  QCOMPARE(rig.state.tod_on, false);
  QCOMPARE(rig.monitor->tod_button()->text(), QString("Send TOD"));
  const QRect m = rig.monitor->frameGeometry();
  QCOMPARE(placed.x(), m.x() + m.width() - typewriter.frameGeometry().width());
  QCOMPARE(placed.y(), m.y());
  QCOMPARE(rig.sent(), QByteArray()); // opening the typewriter sends nothing
}

QTEST_MAIN(MonitorTest)
#include "monitor_test.moc"
