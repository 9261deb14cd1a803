#include "tap/capture.h"
#include "tap/cli.h"
#include "tap/player.h"
#include "tap/recorder.h"

#include "support/test_env.h"
#include "timed_receiver.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cmath>

using tap::CaptureRecord;

class EngineTest : public QObject {
  Q_OBJECT

private slots:
  void player_delivers_in_order_data();
  void player_delivers_in_order();
  void player_never_early_data();
  void player_never_early();
  void player_loops_until_stopped();
  void player_empty_capture_finishes();
  void recorder_writes_what_arrives_data();
  void recorder_writes_what_arrives();
  void recorder_shares_the_port();
  void recorder_stops_by_itself_data();
  void recorder_stops_by_itself();
  void recorder_reports_failures_data();
  void recorder_reports_failures();
  void command_good_data();
  void command_good();
  void command_errors_data();
  void command_errors();
};

namespace {

QList<CaptureRecord> evenly(const QList<QByteArray> &payloads, double gap_ms) {
  QList<CaptureRecord> records;
  for (qsizetype i = 0; i < payloads.size(); ++i)
    records.append({1000 + i * gap_ms, "10.0.0.5:4000", payloads[i]});
  return records;
}

tap::Endpoint to(const TimedReceiver &r) {
  return {QHostAddress(QHostAddress::LocalHost), r.port()};
}

// Takes writes until told to refuse them, like a disk that fills up.
class FailingDevice : public QIODevice {
public:
  bool refuse = false;
  QByteArray written;

protected:
  qint64 readData(char *, qint64) override { return -1; }
  qint64 writeData(const char *data, qint64 n) override {
    if (refuse) {
      setErrorString(QStringLiteral("No space left on device"));
      return -1;
    }
    written.append(data, n);
    return n;
  }
};

// Lets the event loop run for a while, for checks that nothing more happens.
void settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

QList<QByteArray> make_args(const QStringList &words) {
  QList<QByteArray> args;
  for (const QString &w : words)
    args.append(w.toUtf8());
  return args;
}

} // namespace

void EngineTest::player_delivers_in_order_data() {
  QTest::addColumn<QList<QByteArray>>("payloads");
  QByteArray all;
  for (int i = 0; i < 256; ++i)
    all += char(i);
  QTest::newRow("one") << QList<QByteArray>{"{heartbeat}+"};
  QTest::newRow("order kept") << QList<QByteArray>{"1", "2", "3", "4", "5", "6", "7", "8"};
  QTest::newRow("empty datagram between") << QList<QByteArray>{"a", "", "b"};
  QTest::newRow("every byte, 1024 bytes")
      << QList<QByteArray>{all, QByteArray(1024, 'x'), QByteArray("\0\0", 2)};
}

void EngineTest::player_delivers_in_order() {
  QFETCH(QList<QByteArray>, payloads);
  TimedReceiver receiver;
  QVERIFY2(receiver.bound(), qPrintable(receiver.error()));
  tap::Player player(evenly(payloads, 10), to(receiver), {1000, false});
  QSignalSpy finished(&player, &tap::Player::finished);
  player.start();
  QVERIFY(finished.wait(3000));
  QVERIFY(wait_until([&] { return receiver.datagrams.size() >= payloads.size(); }));
  QCOMPARE(receiver.datagrams, payloads);
  QCOMPARE(player.sent(), payloads.size());
  QCOMPARE(player.passes(), 1);
}

void EngineTest::player_never_early_data() {
  QTest::addColumn<double>("speed");
  QTest::addColumn<bool>("loop");
  QTest::newRow("speed 1") << 1.0 << false;
  QTest::newRow("speed 4") << 4.0 << false;
  QTest::newRow("speed 4, loop") << 4.0 << true;
}

// On the player's clock, moved by the test: each datagram leaves when its
// offset from the first (divided by the speed) is reached and not a
// nanosecond before; a loop's next pass waits the gap after the last.
void EngineTest::player_never_early() {
  QFETCH(double, speed);
  QFETCH(bool, loop);
  TimedReceiver receiver;
  const QList<CaptureRecord> records{
      {500, "s", "a"}, {600, "s", "b"}, {620, "s", "c"}, {800, "s", "d"}};
  QList<qint64> due_ns; // the leading 500 ms are skipped
  for (const CaptureRecord &r : records)
    due_ns.append(std::llround((r.offset_ms - 500) * 1e6 / speed));
  if (loop)
    due_ns.append(due_ns.last() + std::llround(tap::Player::kLoopGapMs * 1e6 / speed));
  qint64 now_ns = 0;
  tap::Player player(records, to(receiver), {speed, loop}, nullptr, [&] { return now_ns; });
  QSignalSpy finished(&player, &tap::Player::finished);
  player.start();
  for (qsizetype i = 0; i < due_ns.size(); ++i) {
    if (due_ns[i] > 0) {
      now_ns = due_ns[i] - 1;
      settle(20); // the player's timer fires and re-arms: still too early
      QCOMPARE(player.sent(), i);
    }
    now_ns = due_ns[i];
    QVERIFY2(wait_until([&] { return player.sent() == i + 1; }), qPrintable(QString::number(i)));
  }
  if (loop)
    player.stop();
  QVERIFY(wait_until([&] { return finished.size() == 1; }));
  QCOMPARE(player.sent(), due_ns.size());
  QVERIFY(wait_until([&] { return receiver.datagrams.size() >= due_ns.size(); }));
  QCOMPARE(receiver.datagrams.mid(0, 4), (QList<QByteArray>{"a", "b", "c", "d"}));
}

void EngineTest::player_loops_until_stopped() {
  TimedReceiver receiver;
  tap::Player player(evenly({"a", "b"}, 20), to(receiver), {50, true});
  QSignalSpy finished(&player, &tap::Player::finished);
  player.start();
  // Passes are 20 ms apart here (1 s gap / 50), so five datagrams take ~50 ms.
  QVERIFY(wait_until([&] { return receiver.datagrams.size() >= 5; }, 5000));
  QVERIFY(finished.isEmpty());
  player.stop();
  QVERIFY(finished.wait(2000));
  const qint64 sent = player.sent();
  QCOMPARE(receiver.datagrams.mid(0, 5), (QList<QByteArray>{"a", "b", "a", "b", "a"}));
  QVERIFY(player.passes() >= 2);
  // Stopped means stopped: nothing more arrives.
  settle(100);
  QCOMPARE(player.sent(), sent);
  QVERIFY(wait_until([&] { return receiver.datagrams.size() >= sent; }));
  QCOMPARE(receiver.datagrams.size(), sent);
}

void EngineTest::player_empty_capture_finishes() {
  TimedReceiver receiver;
  for (const bool loop : {false, true}) {
    tap::Player player({}, to(receiver), {1, loop});
    QSignalSpy finished(&player, &tap::Player::finished);
    player.start();
    QVERIFY(finished.wait(2000));
    QCOMPARE(player.sent(), 0);
  }
}

void EngineTest::recorder_writes_what_arrives_data() {
  QTest::addColumn<QList<QByteArray>>("payloads");
  QByteArray all;
  for (int i = 255; i >= 0; --i)
    all += char(i);
  QTest::newRow("tagged text") << QList<QByteArray>{"{scratch}+{clr}+", "{heartbeat}+"};
  QTest::newRow("empty and zero bytes") << QList<QByteArray>{"", QByteArray("a\0b", 3), ""};
  QTest::newRow("every byte, 1024 and 1500 bytes")
      << QList<QByteArray>{all, QByteArray(1024, '\\'), QByteArray(1500, '\n')};
}

void EngineTest::recorder_writes_what_arrives() {
  QFETCH(QList<QByteArray>, payloads);
  tap::Recorder recorder({QHostAddress(QHostAddress::LocalHost), 0, 0, 0});
  QString error;
  QVERIFY2(recorder.listen(&error), qPrintable(error));
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  QVERIFY2(recorder.begin(&out, &error), qPrintable(error));
  QUdpSocket from;
  QVERIFY(from.bind(QHostAddress::LocalHost, 0));
  for (const QByteArray &p : payloads)
    QCOMPARE(from.writeDatagram(p, QHostAddress::LocalHost, recorder.port()), p.size());
  QVERIFY(wait_until([&] { return recorder.count() >= payloads.size(); }));

  const tap::CaptureParse parsed = tap::parse_capture(out.data());
  QVERIFY2(parsed.ok(), qPrintable(parsed.error));
  QCOMPARE(parsed.records.size(), payloads.size());
  double previous = 0;
  for (qsizetype i = 0; i < payloads.size(); ++i) {
    QCOMPARE(parsed.records[i].payload, payloads[i]);
    QCOMPARE(parsed.records[i].sender, QStringLiteral("127.0.0.1:%1").arg(from.localPort()));
    QVERIFY(parsed.records[i].offset_ms >= previous);
    previous = parsed.records[i].offset_ms;
  }
  QVERIFY(out.data().startsWith(tap::capture_header() + '\n'));
}

// The screen holds the port with address reuse; the recorder must be able to
// bind beside it.
void EngineTest::recorder_shares_the_port() {
  QUdpSocket screen;
  QVERIFY(screen.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::ShareAddress));
  tap::Recorder recorder({QHostAddress::AnyIPv4, screen.localPort(), 0, 0});
  QString error;
  QVERIFY2(recorder.listen(&error), qPrintable(error));
  QCOMPARE(recorder.port(), screen.localPort());
}

void EngineTest::recorder_stops_by_itself_data() {
  QTest::addColumn<qint64>("max_count");
  QTest::addColumn<double>("max_duration_s");
  QTest::addColumn<int>("sent");
  QTest::addColumn<int>("kept");
  QTest::newRow("count 2 of 4") << qint64(2) << 0.0 << 4 << 2;
  QTest::newRow("count 1 of 1") << qint64(1) << 0.0 << 1 << 1;
  QTest::newRow("duration, nothing sent") << qint64(0) << 0.2 << 0 << 0;
  QTest::newRow("duration after 3") << qint64(0) << 0.5 << 3 << 3;
}

void EngineTest::recorder_stops_by_itself() {
  QFETCH(qint64, max_count);
  QFETCH(double, max_duration_s);
  QFETCH(int, sent);
  QFETCH(int, kept);
  tap::Recorder recorder({QHostAddress(QHostAddress::LocalHost), 0, max_count, max_duration_s});
  QString error;
  QVERIFY2(recorder.listen(&error), qPrintable(error));
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  QVERIFY(recorder.begin(&out, &error));
  QSignalSpy finished(&recorder, &tap::Recorder::finished);
  for (int i = 0; i < sent; ++i)
    QVERIFY(send_loopback(recorder.port(), QByteArray::number(i)));
  QVERIFY(finished.wait(3000));
  QCOMPARE(recorder.count(), kept);
  QCOMPARE(tap::parse_capture(out.data()).records.size(), kept);
}

void EngineTest::recorder_reports_failures_data() {
  QTest::addColumn<QString>("bind");
  QTest::addColumn<bool>("refuse_header");
  QTest::addColumn<QString>("message");
  // 192.0.2.1 is a documentation address that no machine here holds.
  QTest::newRow("address not on this machine") << "192.0.2.1" << false << "cannot listen on 192.0.2.1:";
  QTest::newRow("header refused") << "127.0.0.1" << true << "cannot write the capture: No space";
  QTest::newRow("a line refused") << "127.0.0.1" << false << "cannot write the capture: No space";
}

void EngineTest::recorder_reports_failures() {
  QFETCH(QString, bind);
  QFETCH(bool, refuse_header);
  QFETCH(QString, message);
  tap::Recorder recorder({QHostAddress(bind), 0, 0, 0});
  QSignalSpy failed(&recorder, &tap::Recorder::failed);
  QString error;
  if (!recorder.listen(&error)) {
    QVERIFY2(error.startsWith(message), qPrintable(error));
    return;
  }
  QVERIFY2(bind == "127.0.0.1", "listening should have failed");
  FailingDevice out;
  out.open(QIODevice::WriteOnly);
  out.refuse = refuse_header;
  if (!recorder.begin(&out, &error)) {
    QVERIFY(refuse_header);
    QVERIFY2(error.startsWith(message), qPrintable(error));
    return;
  }
  QVERIFY(!refuse_header);
  out.refuse = true;
  QVERIFY(send_loopback(recorder.port(), "{heartbeat}+"));
  QVERIFY(failed.wait(3000));
  QVERIFY2(failed.first().first().toString().startsWith(message),
           qPrintable(failed.first().first().toString()));
}

void EngineTest::command_good_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<int>("verb");
  QTest::addColumn<QString>("to");
  QTest::addColumn<QString>("file");
  QTest::addColumn<int>("packets");
  QTest::addColumn<QString>("extra"); // a few more fields, as text
  using V = tap::Verb;
  QTest::newRow("send defaults") << QStringList{"send", "{a}"} << int(V::send) << "127.0.0.1:29105"
                                 << "" << 1 << "escapes=0 interval=0";
  QTest::newRow("send all options")
      << QStringList{"send", "--to", "10.0.0.9:4000", "--escapes", "--interval=25", "a", "b"}
      << int(V::send) << "10.0.0.9:4000" << "" << 2 << "escapes=1 interval=25";
  QTest::newRow("send --to=") << QStringList{"send", "--to=10.0.0.9", "-e", "a"} << int(V::send)
                              << "10.0.0.9:29105" << "" << 1 << "escapes=1 interval=0";
  QTest::newRow("send stdin") << QStringList{"send", "-"} << int(V::send) << "127.0.0.1:29105" << "-"
                              << 0 << "escapes=0 interval=0";
  QTest::newRow("send file") << QStringList{"send", "--file", "p.txt"} << int(V::send)
                             << "127.0.0.1:29105" << "p.txt" << 0 << "escapes=0 interval=0";
  QTest::newRow("send packet after --") << QStringList{"send", "--", "--to"} << int(V::send)
                                        << "127.0.0.1:29105" << "" << 1 << "escapes=0 interval=0";
  QTest::newRow("record defaults") << QStringList{"record", "x.cap"} << int(V::record)
                                   << "127.0.0.1:29105" << "x.cap" << 0 << "port=29105 count=0 duration=0";
  QTest::newRow("record options")
      << QStringList{"record", "--port", "0", "--count=5", "--duration", "2.5", "x.cap"} << int(V::record)
      << "127.0.0.1:29105" << "x.cap" << 0 << "port=0 count=5 duration=2.5";
  QTest::newRow("play defaults") << QStringList{"play", "x.cap"} << int(V::play) << "127.0.0.1:29105"
                                 << "x.cap" << 0 << "speed=1 loop=0";
  QTest::newRow("play options")
      << QStringList{"play", "--loop", "--speed", "10", "--to", "127.0.0.1:29104", "-"} << int(V::play)
      << "127.0.0.1:29104" << "-" << 0 << "speed=10 loop=1";
  QTest::newRow("help verb") << QStringList{"--help"} << int(V::help) << "127.0.0.1:29105" << "" << 0 << "";
  QTest::newRow("help after verb") << QStringList{"play", "-h"} << int(V::help) << "127.0.0.1:29105" << ""
                                   << 0 << "";
}

void EngineTest::command_good() {
  QFETCH(QStringList, args);
  QFETCH(int, verb);
  QFETCH(QString, to);
  QFETCH(QString, file);
  QFETCH(int, packets);
  QFETCH(QString, extra);
  QString error;
  const auto c = tap::parse_command(make_args(args), &error);
  QVERIFY2(c, qPrintable(error));
  QCOMPARE(int(c->verb), verb);
  QCOMPARE(c->to.text(), to);
  QCOMPARE(c->file, file);
  QCOMPARE(c->packets.size(), packets);
  QString fields;
  if (c->verb == tap::Verb::send)
    fields = QStringLiteral("escapes=%1 interval=%2").arg(int(c->escapes)).arg(c->interval_ms);
  if (c->verb == tap::Verb::record)
    fields = QStringLiteral("port=%1 count=%2 duration=%3")
                 .arg(c->record.port).arg(c->record.max_count).arg(c->record.max_duration_s);
  if (c->verb == tap::Verb::play)
    fields = QStringLiteral("speed=%1 loop=%2").arg(c->play.speed).arg(int(c->play.loop));
  QCOMPARE(fields, extra);
}

void EngineTest::command_errors_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<QString>("message");
  QTest::newRow("nothing") << QStringList{} << "no command given";
  QTest::newRow("unknown verb") << QStringList{"replay", "x"} << "unknown command \"replay\"";
  QTest::newRow("send nothing") << QStringList{"send"} << "send needs a PACKET";
  QTest::newRow("send packets and file") << QStringList{"send", "--file", "f", "a"} << "not both";
  QTest::newRow("--to without value") << QStringList{"send", "a", "--to"} << "--to needs a value";
  QTest::newRow("bad address") << QStringList{"play", "--to", "1.2.3.4.5", "x"} << "bad address \"1.2.3.4.5\"";
  QTest::newRow("--to for record") << QStringList{"record", "--to", "1.2.3.4", "x"} << "unknown option \"--to\"";
  QTest::newRow("--port for play") << QStringList{"play", "--port", "5", "x"} << "unknown option \"--port\"";
  QTest::newRow("bad port") << QStringList{"record", "--port", "65536", "x"} << "bad port \"65536\"";
  QTest::newRow("speed 0") << QStringList{"play", "--speed", "0", "x"} << "--speed needs a number above 0";
  QTest::newRow("speed text") << QStringList{"play", "--speed=fast", "x"} << "not \"fast\"";
  QTest::newRow("count 0") << QStringList{"record", "--count", "0", "x"} << "--count needs a whole number";
  QTest::newRow("count fraction") << QStringList{"record", "--count", "1.5", "x"} << "--count needs a whole number";
  QTest::newRow("negative duration") << QStringList{"record", "--duration", "-1", "x"} << "--duration needs";
  QTest::newRow("negative interval") << QStringList{"send", "--interval", "-3", "a"} << "--interval needs";
  QTest::newRow("loop with value") << QStringList{"play", "--loop=yes", "x"} << "--loop takes no value";
  QTest::newRow("record two files") << QStringList{"record", "a", "b"} << "record needs one FILE";
  QTest::newRow("play no file") << QStringList{"play"} << "play needs one FILE";
  QTest::newRow("help with junk") << QStringList{"help", "me"} << "unexpected \"me\"";
}

void EngineTest::command_errors() {
  QFETCH(QStringList, args);
  QFETCH(QString, message);
  QString error;
  QVERIFY(!tap::parse_command(make_args(args), &error));
  QVERIFY2(error.contains(message), qPrintable(error));
}

QTEST_GUILESS_MAIN(EngineTest)
#include "engine_test.moc"
