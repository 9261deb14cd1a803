// Runs the built commentator-tap as a technician would, against loopback
// receivers on ephemeral ports.
#include "tap/capture.h"

#include "support/test_env.h"
#include "timed_receiver.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <csignal>

using tap::CaptureRecord;

class CliTest : public QObject {
  Q_OBJECT

private slots:
  void send_delivers_data();
  void send_delivers();
  void send_lines_data();
  void send_lines();
  void send_interval();
  void play_timing_data();
  void play_timing();
  void play_loop_until_interrupted();
  void record_then_play_data();
  void record_then_play();
  void record_stops_on_signal_data();
  void record_stops_on_signal();
  void record_duration();
  void errors_data();
  void errors();
};

namespace {

struct Run {
  int code = -1;
  QString err;
};

// Runs to the end in folder `dir` (the test's own when empty); stdin gets
// `input` and is then closed.
Run run_tap(const QStringList &args, const QByteArray &input = {}, const QString &dir = {}) {
  QProcess p;
  p.setWorkingDirectory(dir);
  p.start(QStringLiteral(TAP_EXE), args);
  if (!p.waitForStarted(5000))
    return {-2, p.errorString()};
  p.write(input);
  p.closeWriteChannel();
  if (!p.waitForFinished(15000)) {
    p.kill();
    p.waitForFinished();
    return {-3, QStringLiteral("timed out")};
  }
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -4,
          QString::fromUtf8(p.readAllStandardError())};
}

void settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

QByteArray capture_of(const QList<CaptureRecord> &records) {
  QByteArray text = tap::capture_header() + '\n';
  for (const CaptureRecord &r : records)
    text += tap::format_record(r) + '\n';
  return text;
}

QByteArray every_byte() {
  QByteArray b;
  for (int i = 0; i < 256; ++i)
    b += char(i);
  return b;
}

// Starts a recorder and returns the port it reports, 0 on failure.
quint16 start_recorder(QProcess &p, const QStringList &args, QString *err) {
  p.start(QStringLiteral(TAP_EXE), args);
  if (!p.waitForStarted(5000))
    return 0;
  static const QRegularExpression reported(QStringLiteral("recording port (\\d+)"));
  QRegularExpressionMatch m;
  wait_until([&] {
    *err += QString::fromUtf8(p.readAllStandardError());
    m = reported.match(*err);
    return m.hasMatch() || p.state() == QProcess::NotRunning;
  }, 5000);
  return m.hasMatch() ? quint16(m.captured(1).toUInt()) : 0;
}

// waitForFinished() is false for a process that already ended while the
// test's event loop ran.
bool ended(QProcess &p, int timeout_ms = 10000) {
  return p.state() == QProcess::NotRunning || p.waitForFinished(timeout_ms);
}

bool finish(QProcess &p, QString *err) {
  const bool done = ended(p);
  *err += QString::fromUtf8(p.readAllStandardError());
  return done;
}

} // namespace

void CliTest::send_delivers_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<QList<QByteArray>>("datagrams");
  QTest::newRow("one packet") << QStringList{"{heartbeat}+"} << QList<QByteArray>{"{heartbeat}+"};
  QTest::newRow("several in order") << QStringList{"{scratch}+{clr}+", "{scratch}+{list}1", "{tt}+"}
                                    << QList<QByteArray>{"{scratch}+{clr}+", "{scratch}+{list}1", "{tt}+"};
  QTest::newRow("empty packet") << QStringList{"a", "", "b"} << QList<QByteArray>{"a", "", "b"};
  QTest::newRow("backslash as typed") << QStringList{"a\\x41"} << QList<QByteArray>{"a\\x41"};
  QTest::newRow("8-bit text as typed") << QStringList{"{name}M\u00fcller"}
                                       << QList<QByteArray>{"{name}M\xc3\xbcller"};
  QTest::newRow("escapes decoded") << QStringList{"--escapes", "a\\x00b\\xFF\\\\", "\\x0D\\x0A"}
                                   << QList<QByteArray>{QByteArray("a\0b\xff\\", 5), "\r\n"};
  QTest::newRow("packet that looks like an option") << QStringList{"--", "--to"}
                                                    << QList<QByteArray>{"--to"};
}

void CliTest::send_delivers() {
  QFETCH(QStringList, args);
  QFETCH(QList<QByteArray>, datagrams);
  TimedReceiver receiver;
  QVERIFY2(receiver.bound(), qPrintable(receiver.error()));
  const Run r = run_tap(QStringList{"send", "--to", receiver.to()} + args);
  QVERIFY2(r.code == 0, qPrintable(r.err));
  QVERIFY(wait_until([&] { return receiver.datagrams.size() >= datagrams.size(); }));
  QCOMPARE(receiver.datagrams, datagrams);
  QVERIFY2(r.err.contains(QStringLiteral("sent %1 datagram").arg(datagrams.size())), qPrintable(r.err));
}

void CliTest::send_lines_data() {
  QTest::addColumn<bool>("from_stdin");
  QTest::addColumn<bool>("escapes");
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QList<QByteArray>>("datagrams");
  const QByteArray long_line(1024, 'L');
  for (const bool in : {false, true}) {
    const char *src = in ? "stdin" : "file";
    QTest::addRow("%s: lines in order", src)
        << in << false << QByteArray("{a}1\n{b}2\n{c}3\n") << QList<QByteArray>{"{a}1", "{b}2", "{c}3"};
    QTest::addRow("%s: no final line end", src)
        << in << false << QByteArray("x\ny") << QList<QByteArray>{"x", "y"};
    QTest::addRow("%s: CRLF line ends", src)
        << in << false << QByteArray("x\r\ny\r\n") << QList<QByteArray>{"x", "y"};
    QTest::addRow("%s: empty line is an empty datagram", src)
        << in << false << QByteArray("x\n\ny\n") << QList<QByteArray>{"x", "", "y"};
    QTest::addRow("%s: 1024-byte line", src)
        << in << false << long_line + "\n" << QList<QByteArray>{long_line};
    QTest::addRow("%s: escapes", src) << in << true << QByteArray("\\x00\\x0A\nA\\\\B\n")
                                      << QList<QByteArray>{QByteArray("\0\n", 2), "A\\B"};
    QTest::addRow("%s: empty input", src) << in << false << QByteArray() << QList<QByteArray>{};
  }
}

void CliTest::send_lines() {
  QFETCH(bool, from_stdin);
  QFETCH(bool, escapes);
  QFETCH(QByteArray, text);
  QFETCH(QList<QByteArray>, datagrams);
  TempDataFolder data;
  TimedReceiver receiver;
  QStringList args{"send", "--to", receiver.to()};
  if (escapes)
    args << "--escapes";
  if (from_stdin) {
    args << "-";
  } else {
    QVERIFY(write_file(data.file("packets.txt"), text));
    args << "--file" << "packets.txt";
  }
  const Run r = run_tap(args, from_stdin ? text : QByteArray(), data.path());
  QVERIFY2(r.code == 0, qPrintable(r.err));
  QVERIFY(wait_until([&] { return receiver.datagrams.size() >= datagrams.size(); }));
  settle(20);
  QCOMPARE(receiver.datagrams, datagrams);
}

void CliTest::send_interval() {
  TimedReceiver receiver;
  QProcess p;
  p.start(QStringLiteral(TAP_EXE), {"send", "--to", receiver.to(), "--interval", "60", "a", "b", "c"});
  // The event loop runs while the sender works, so arrivals get their times.
  QVERIFY(wait_until([&] { return receiver.datagrams.size() >= 3; }, 10000));
  QVERIFY(ended(p));
  QCOMPARE(p.exitCode(), 0);
  QCOMPARE(receiver.datagrams, (QList<QByteArray>{"a", "b", "c"}));
  qInfo("3 datagrams 60 ms apart arrived over %.1f ms", receiver.span_ms());
  QVERIFY(receiver.span_ms() >= 110);
  QVERIFY(receiver.span_ms() < 2000);
}

void CliTest::play_timing_data() {
  QTest::addColumn<double>("speed");
  QTest::newRow("speed 1") << 1.0;
  QTest::newRow("speed 10") << 10.0;
}

// The whole program plays a capture at a speed; the spacing itself is
// checked on a clock the test controls (engine_test), here only printed.
void CliTest::play_timing() {
  QFETCH(double, speed);
  TempDataFolder data;
  const QByteArray all = every_byte();
  const QList<CaptureRecord> records{{2000, "10.0.0.5:4000", "{heartbeat}+"},
                                     {2150, "10.0.0.5:4000", all},
                                     {2300, "10.0.0.5:4000", ""},
                                     {2450, "10.0.0.5:4000", QByteArray(1024, '\xee')}};
  QVERIFY(write_file(data.file("race.cap"), capture_of(records)));
  TimedReceiver receiver;
  QProcess p;
  p.setWorkingDirectory(data.path());
  p.start(QStringLiteral(TAP_EXE), {"play", "--to", receiver.to(), "--speed", QString::number(speed), "race.cap"});
  QVERIFY(wait_until([&] { return receiver.datagrams.size() >= 4; }, 10000));
  QVERIFY(ended(p));
  QCOMPARE(p.exitCode(), 0);
  QCOMPARE(receiver.datagrams, (QList<QByteArray>{"{heartbeat}+", all, "", QByteArray(1024, '\xee')}));
  const double expected = 450 / speed;
  qInfo("speed %g: 4 datagrams over %.1f ms (recorded 450 ms, expected %.1f); gaps %.1f %.1f %.1f", speed,
        receiver.span_ms(), expected, receiver.arrived_ms[1] - receiver.arrived_ms[0],
        receiver.arrived_ms[2] - receiver.arrived_ms[1], receiver.arrived_ms[3] - receiver.arrived_ms[2]);
}

void CliTest::play_loop_until_interrupted() {
  TempDataFolder data;
  QVERIFY(write_file(data.file("two.cap"), capture_of({{0, "s", "a"}, {100, "s", "b"}})));
  TimedReceiver receiver;
  QProcess p;
  p.setWorkingDirectory(data.path());
  p.start(QStringLiteral(TAP_EXE), {"play", "--loop", "--speed", "20", "--to", receiver.to(), "two.cap"});
  // A pass is 5 ms plus a 50 ms pause (1 s / 20): five datagrams in ~0.2 s.
  QVERIFY(wait_until([&] { return receiver.datagrams.size() >= 5; }, 10000));
  QCOMPARE(p.state(), QProcess::Running);
  ::kill(pid_t(p.processId()), SIGINT);
  QVERIFY(ended(p));
  QCOMPARE(p.exitStatus(), QProcess::NormalExit);
  QCOMPARE(p.exitCode(), 0);
  QCOMPARE(receiver.datagrams.mid(0, 5), (QList<QByteArray>{"a", "b", "a", "b", "a"}));
}

void CliTest::record_then_play_data() {
  QTest::addColumn<QList<QByteArray>>("datagrams");
  QTest::newRow("tagged text") << QList<QByteArray>{"{scratch}+{clr}+", "{omnium}+{line}0{0}Rank", "{heartbeat}+"};
  QTest::newRow("every byte, empty, 1024 bytes")
      << QList<QByteArray>{every_byte(), "", QByteArray(1024, '\\'), QByteArray("\r\n\0", 3)};
  QList<QByteArray> burst;
  for (int i = 0; i < 200; ++i)
    burst.append("{sprintf}+{n}" + QByteArray::number(i));
  QTest::newRow("burst of 200") << burst;
}

void CliTest::record_then_play() {
  QFETCH(QList<QByteArray>, datagrams);
  TempDataFolder data;
  QProcess rec;
  rec.setWorkingDirectory(data.path());
  QString err;
  const quint16 port = start_recorder(
      rec, {"record", "--port", "0", "--count", QString::number(datagrams.size()), "meeting.cap"}, &err);
  QVERIFY2(port != 0, qPrintable(err));
  QUdpSocket from;
  QVERIFY(from.bind(QHostAddress::LocalHost, 0));
  for (const QByteArray &d : datagrams)
    QCOMPARE(from.writeDatagram(d, QHostAddress::LocalHost, port), d.size());
  QVERIFY2(finish(rec, &err), qPrintable(err));
  QVERIFY2(rec.exitCode() == 0, qPrintable(err));
  QVERIFY2(err.contains(QStringLiteral("recorded %1 datagram").arg(datagrams.size())), qPrintable(err));

  const tap::CaptureParse parsed = tap::parse_capture(read_file(data.file("meeting.cap")));
  QVERIFY2(parsed.ok(), qPrintable(parsed.error));
  QCOMPARE(parsed.records.size(), datagrams.size());
  QCOMPARE(parsed.records.first().sender, QStringLiteral("127.0.0.1:%1").arg(from.localPort()));

  TimedReceiver receiver;
  const Run r = run_tap({"play", "--speed", "100", "--to", receiver.to(), "meeting.cap"}, {}, data.path());
  QVERIFY2(r.code == 0, qPrintable(r.err));
  QVERIFY(wait_until([&] { return receiver.datagrams.size() >= datagrams.size(); }));
  QCOMPARE(receiver.datagrams, datagrams);
}

void CliTest::record_stops_on_signal_data() {
  QTest::addColumn<int>("signal_number");
  QTest::newRow("SIGINT") << int(SIGINT);
  QTest::newRow("SIGTERM") << int(SIGTERM);
}

void CliTest::record_stops_on_signal() {
  QFETCH(int, signal_number);
  TempDataFolder data;
  QProcess rec;
  rec.setWorkingDirectory(data.path());
  QString err;
  const quint16 port = start_recorder(rec, {"record", "--port", "0", "live.cap"}, &err);
  QVERIFY2(port != 0, qPrintable(err));
  QVERIFY(send_loopback(port, "{tt}+{one}"));
  QVERIFY(send_loopback(port, "{tt}+{two}"));
  // Each line is on disk as soon as it is recorded, before any stop.
  QVERIFY(wait_until([&] { return tap::parse_capture(read_file(data.file("live.cap"))).records.size() == 2; }, 5000));
  ::kill(pid_t(rec.processId()), signal_number);
  QVERIFY2(finish(rec, &err), qPrintable(err));
  QCOMPARE(rec.exitStatus(), QProcess::NormalExit);
  QVERIFY2(rec.exitCode() == 0, qPrintable(err));
  QVERIFY2(err.contains("recorded 2 datagrams to live.cap"), qPrintable(err));
  const auto records = tap::parse_capture(read_file(data.file("live.cap"))).records;
  QCOMPARE(records.size(), 2);
  QCOMPARE(records[1].payload, QByteArray("{tt}+{two}"));
}

void CliTest::record_duration() {
  TempDataFolder data;
  const Run r = run_tap({"record", "--port", "0", "--duration", "0.3", "quiet.cap"}, {}, data.path());
  QVERIFY2(r.code == 0, qPrintable(r.err));
  QVERIFY2(r.err.contains("recorded 0 datagrams to quiet.cap"), qPrintable(r.err));
  QVERIFY(read_file(data.file("quiet.cap")).startsWith(tap::capture_header()));
}

void CliTest::errors_data() {
  QTest::addColumn<QStringList>("args"); // "@TO@" stands for the receiver
  QTest::addColumn<QByteArray>("file");  // written as "in.txt" when not empty
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("message");
  const QByteArray none;
  QTest::newRow("no command") << QStringList{} << none << 2 << "no command given";
  QTest::newRow("unknown command") << QStringList{"replay"} << none << 2 << "unknown command \"replay\"";
  QTest::newRow("unknown option") << QStringList{"record", "--bogus", "x"} << none << 2
                                  << "unknown option \"--bogus\"";
  QTest::newRow("bad address: three numbers") << QStringList{"send", "--to", "1.2.3", "x"} << none << 2
                                              << "bad address \"1.2.3\": \"1.2.3\" is not an IPv4 address";
  QTest::newRow("bad address: port too big") << QStringList{"send", "--to", "127.0.0.1:99999", "x"} << none
                                             << 2 << "bad address \"127.0.0.1:99999\": bad port \"99999\"";
  QTest::newRow("bad address: no host") << QStringList{"play", "--to", ":29105", "in.txt"} << none << 2
                                        << "bad address \":29105\": missing host";
  QTest::newRow("bad record port") << QStringList{"record", "--port", "x1", "a.cap"} << none << 2
                                   << "bad port \"x1\"";
  QTest::newRow("bad speed") << QStringList{"play", "--speed", "0", "in.txt"} << none << 2
                             << "--speed needs a number above 0";
  QTest::newRow("play: missing file") << QStringList{"play", "--to", "@TO@", "missing.cap"} << none << 1
                                      << "cannot read missing.cap: No such file";
  QTest::newRow("play: a directory") << QStringList{"play", "--to", "@TO@", "."} << none << 1
                                     << "cannot read .:";
  QTest::newRow("play: bad escape on line 3")
      << QStringList{"play", "--to", "@TO@", "in.txt"} << QByteArray("# h\n0 s a\n5 s b\\q\n") << 1
      << "in.txt:3: bad escape \"\\q\" at column 6";
  QTest::newRow("play: bad offset on line 2")
      << QStringList{"play", "--to", "@TO@", "in.txt"} << QByteArray("0 s a\nsoon s b\n") << 1
      << "in.txt:2: bad time offset \"soon\"";
  QTest::newRow("play: offsets backwards on line 4")
      << QStringList{"play", "--to", "@TO@", "in.txt"} << QByteArray("# h\n0 s a\n9 s b\n8 s c\n") << 1
      << "in.txt:4: time offset 8 is before";
  QTest::newRow("send: missing file") << QStringList{"send", "--to", "@TO@", "--file", "nope.txt"} << none
                                      << 1 << "cannot read nope.txt: No such file";
  QTest::newRow("send: bad escape on line 2 of a file")
      << QStringList{"send", "--escapes", "--to", "@TO@", "--file", "in.txt"} << QByteArray("ok\nbad\\x\nok\n")
      << 1 << "in.txt:2: bad escape \"\\x\" at column 4";
  QTest::newRow("send: bad escape in a packet")
      << QStringList{"send", "--escapes", "--to", "@TO@", "fine", "\\xG0"} << none << 1
      << "packet 2: bad escape \"\\xG0\"";
  QTest::newRow("record: folder missing") << QStringList{"record", "--port", "0", "no/such/dir/a.cap"} << none
                                          << 1 << "cannot write no/such/dir/a.cap: No such file";
  QTest::newRow("record: address in use by a plain socket")
      << QStringList{"record", "--port", "@BUSY@", "a.cap"} << none << 1 << "cannot listen on 0.0.0.0:";
}

void CliTest::errors() {
  QFETCH(QStringList, args);
  QFETCH(QByteArray, file);
  QFETCH(int, code);
  QFETCH(QString, message);
  TempDataFolder data;
  TimedReceiver receiver;
  // A socket bound without address reuse keeps any second binder out.
  QUdpSocket busy;
  QVERIFY(busy.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
  args.replaceInStrings("@TO@", receiver.to());
  args.replaceInStrings("@BUSY@", QString::number(busy.localPort()));
  if (!file.isEmpty())
    QVERIFY(write_file(data.file("in.txt"), file));
  const Run r = run_tap(args, {}, data.path());
  QVERIFY2(r.err.startsWith("commentator-tap: " + message), qPrintable(r.err));
  QCOMPARE(r.code, code);
  // Nothing goes out on an error, not even the good lines before it.
  settle(50);
  QCOMPARE(receiver.datagrams.size(), 0);
  if (code == 2)
    QVERIFY(r.err.contains("--help"));
}

QTEST_GUILESS_MAIN(CliTest)
#include "cli_test.moc"
