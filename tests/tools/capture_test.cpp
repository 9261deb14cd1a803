#include "tap/capture.h"
#include "tap/endpoint.h"

#include <QTest>

using tap::CaptureRecord;

class CaptureTest : public QObject {
  Q_OBJECT

private slots:
  void round_trip_data();
  void round_trip();
  void every_byte_alone_data();
  void every_byte_alone();
  void escape_exact_data();
  void escape_exact();
  void unescape_lenient_data();
  void unescape_lenient();
  void unescape_errors_data();
  void unescape_errors();
  void parse_capture_good_data();
  void parse_capture_good();
  void parse_capture_errors_data();
  void parse_capture_errors();
  void endpoint_good_data();
  void endpoint_good();
  void endpoint_errors_data();
  void endpoint_errors();
};

namespace {

QByteArray all_bytes(bool ascending) {
  QByteArray b;
  for (int i = 0; i < 256; ++i)
    b += char(ascending ? i : 255 - i);
  return b;
}

QByteArray cycling(int n) {
  QByteArray b;
  for (int i = 0; i < n; ++i)
    b += char((i * 7 + 3) & 0xff);
  return b;
}

// A line must hold no line end, no zero and only 7-bit bytes.
bool fits_on_a_line(const QByteArray &escaped) {
  for (const char ch : escaped) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\n' || c == '\r' || c == 0 || c > 127)
      return false;
  }
  return true;
}

} // namespace

void CaptureTest::round_trip_data() {
  QTest::addColumn<QByteArray>("payload");
  QTest::newRow("empty") << QByteArray();
  QTest::newRow("tagged text") << QByteArray("{scratch}+{list}3{name}A. RIDER{eop}");
  QTest::newRow("all bytes ascending") << all_bytes(true);
  QTest::newRow("all bytes descending") << all_bytes(false);
  QTest::newRow("1024 bytes cycling") << cycling(1024);
  QTest::newRow("1024 bytes of 0xFF") << QByteArray(1024, '\xff');
  QTest::newRow("1024 backslashes") << QByteArray(1024, '\\');
  QTest::newRow("text that looks escaped") << QByteArray("\\x41\\\\x");
  QTest::newRow("trailing backslash") << QByteArray("abc\\");
  QTest::newRow("CR LF inside") << QByteArray("a\r\nb\n\rc");
  QTest::newRow("blanks at both ends") << QByteArray("  {title} x  ");
  QTest::newRow("zero inside") << QByteArray("{a}\0{b}", 7);
}

void CaptureTest::round_trip() {
  QFETCH(QByteArray, payload);
  const QByteArray escaped = tap::escape_payload(payload);
  QVERIFY2(fits_on_a_line(escaped), escaped.constData());
  QString error;
  const auto back = tap::unescape_payload(escaped, &error);
  QVERIFY2(back, qPrintable(error));
  QCOMPARE(*back, payload);

  // Also through whole capture lines, between two others, as play reads them.
  const QList<CaptureRecord> records{{0, "10.0.0.5:4000", "before"},
                                     {12.5, "10.0.0.5:4000", payload},
                                     {12.5, "10.0.0.6:4001", "after"}};
  QByteArray file = tap::capture_header() + '\n';
  for (const CaptureRecord &r : records)
    file += tap::format_record(r) + '\n';
  const tap::CaptureParse parsed = tap::parse_capture(file);
  QVERIFY2(parsed.ok(), qPrintable(parsed.error));
  QCOMPARE(parsed.records, records);
}

void CaptureTest::every_byte_alone_data() {
  QTest::addColumn<int>("byte");
  for (int b = 0; b < 256; ++b)
    QTest::addRow("0x%02X", b) << b;
}

void CaptureTest::every_byte_alone() {
  QFETCH(int, byte);
  // The byte alone, and between letters so that neighbours cannot mask it.
  for (const QByteArray &payload : {QByteArray(1, char(byte)), "a" + QByteArray(1, char(byte)) + "b"}) {
    const QByteArray escaped = tap::escape_payload(payload);
    QVERIFY(fits_on_a_line(escaped));
    QString error;
    const auto back = tap::unescape_payload(escaped, &error);
    QVERIFY2(back, qPrintable(error));
    QCOMPARE(*back, payload);
  }
}

void CaptureTest::escape_exact_data() {
  QTest::addColumn<QByteArray>("payload");
  QTest::addColumn<QByteArray>("escaped");
  QTest::newRow("plain text unchanged") << QByteArray("{tt}+{name}X Y") << QByteArray("{tt}+{name}X Y");
  QTest::newRow("backslash doubled") << QByteArray("a\\b") << QByteArray("a\\\\b");
  QTest::newRow("zero") << QByteArray("\0", 1) << QByteArray("\\x00");
  QTest::newRow("CR LF") << QByteArray("\r\n") << QByteArray("\\x0D\\x0A");
  QTest::newRow("tab") << QByteArray("\t") << QByteArray("\\x09");
  QTest::newRow("DEL") << QByteArray("\x7f") << QByteArray("\\x7F");
  QTest::newRow("Latin-1 e acute") << QByteArray("\xe9") << QByteArray("\\xE9");
  QTest::newRow("tilde stays") << QByteArray("~") << QByteArray("~");
  QTest::newRow("blank stays") << QByteArray(" ") << QByteArray(" ");
}

void CaptureTest::escape_exact() {
  QFETCH(QByteArray, payload);
  QFETCH(QByteArray, escaped);
  QCOMPARE(tap::escape_payload(payload), escaped);
}

void CaptureTest::unescape_lenient_data() {
  QTest::addColumn<QByteArray>("line");
  QTest::addColumn<QByteArray>("payload");
  QTest::newRow("lower-case hex") << QByteArray("\\xe9\\x0a") << QByteArray("\xe9\n");
  QTest::newRow("raw 8-bit bytes kept") << QByteArray("M\xc3\xbcller") << QByteArray("M\xc3\xbcller");
  QTest::newRow("raw tab kept") << QByteArray("a\tb") << QByteArray("a\tb");
  QTest::newRow("escape then digits") << QByteArray("\\x4142") << QByteArray("A42");
}

void CaptureTest::unescape_lenient() {
  QFETCH(QByteArray, line);
  QFETCH(QByteArray, payload);
  QString error;
  const auto back = tap::unescape_payload(line, &error);
  QVERIFY2(back, qPrintable(error));
  QCOMPARE(*back, payload);
}

void CaptureTest::unescape_errors_data() {
  QTest::addColumn<QByteArray>("line");
  QTest::addColumn<QString>("message");
  QTest::newRow("unknown escape") << QByteArray("ab\\q") << "bad escape \"\\q\" at column 3";
  QTest::newRow("lone trailing backslash") << QByteArray("abc\\") << "bad escape \"\\\" at column 4";
  QTest::newRow("one hex digit at the end") << QByteArray("\\x4") << "bad escape \"\\x4\" at column 1";
  QTest::newRow("not hex") << QByteArray("\\xZZ") << "bad escape \"\\xZZ\" at column 1";
  QTest::newRow("half hex") << QByteArray("x\\x4g") << "bad escape \"\\x4g\" at column 2";
  QTest::newRow("raw CR") << QByteArray("a\rb") << "raw byte \\x0D at column 2";
  QTest::newRow("raw zero") << QByteArray("ab\0", 3) << "raw byte \\x00 at column 3";
}

void CaptureTest::unescape_errors() {
  QFETCH(QByteArray, line);
  QFETCH(QString, message);
  QString error;
  QVERIFY(!tap::unescape_payload(line, &error));
  QVERIFY2(error.contains(message), qPrintable(error));
}

void CaptureTest::parse_capture_good_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QList<CaptureRecord>>("records");
  QTest::newRow("empty file") << QByteArray() << QList<CaptureRecord>{};
  QTest::newRow("header only") << tap::capture_header() + "\n" << QList<CaptureRecord>{};
  QTest::newRow("records after header")
      << tap::capture_header() + "\n0.000 10.0.0.5:4000 {heartbeat}+\n250.5 10.0.0.5:4000 a b\n"
      << QList<CaptureRecord>{{0, "10.0.0.5:4000", "{heartbeat}+"}, {250.5, "10.0.0.5:4000", "a b"}};
  QTest::newRow("CRLF line ends") << QByteArray("1 s x\r\n2 s y\r\n")
                                  << QList<CaptureRecord>{{1, "s", "x"}, {2, "s", "y"}};
  QTest::newRow("no final line end") << QByteArray("1 s x\n2 s y")
                                     << QList<CaptureRecord>{{1, "s", "x"}, {2, "s", "y"}};
  QTest::newRow("comments and blank lines skipped")
      << QByteArray("# a\n\n  # indented\n5 s x\n   \n# b\n")
      << QList<CaptureRecord>{{5, "s", "x"}};
  QTest::newRow("empty payload with blank") << QByteArray("3 s \n")
                                            << QList<CaptureRecord>{{3, "s", ""}};
  QTest::newRow("empty payload, blank stripped") << QByteArray("3 s\n")
                                                 << QList<CaptureRecord>{{3, "s", ""}};
  QTest::newRow("equal offsets") << QByteArray("7 s a\n7 s b\n")
                                 << QList<CaptureRecord>{{7, "s", "a"}, {7, "s", "b"}};
  QTest::newRow("payload keeps its blanks") << QByteArray("0 s   x  \n")
                                            << QList<CaptureRecord>{{0, "s", "  x  "}};
  QTest::newRow("hash inside payload") << QByteArray("0 s #1\n")
                                       << QList<CaptureRecord>{{0, "s", "#1"}};
}

void CaptureTest::parse_capture_good() {
  QFETCH(QByteArray, text);
  QFETCH(QList<CaptureRecord>, records);
  const tap::CaptureParse parsed = tap::parse_capture(text);
  QVERIFY2(parsed.ok(), qPrintable(QString::number(parsed.error_line) + ": " + parsed.error));
  QCOMPARE(parsed.records, records);
}

void CaptureTest::parse_capture_errors_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<int>("line");
  QTest::addColumn<QString>("message");
  QTest::newRow("offset not a number") << QByteArray("abc s x\n") << 1 << "bad time offset \"abc\"";
  QTest::newRow("negative offset") << QByteArray("0 s a\n-5 s x\n") << 2 << "bad time offset \"-5\"";
  QTest::newRow("infinite offset") << QByteArray("inf s x\n") << 1 << "bad time offset";
  QTest::newRow("offset alone") << QByteArray("# c\n12\n") << 2 << "expected \"<offset-ms> <sender> <payload>\"";
  QTest::newRow("leading blank") << QByteArray(" 12 s x\n") << 1 << "expected";
  QTest::newRow("missing sender") << QByteArray("12  x\n") << 1 << "missing sender";
  QTest::newRow("bad escape after comments")
      << QByteArray("# h\n\n1 s ok\n2 s bad\\q\n") << 4 << "bad escape \"\\q\" at column 8";
  QTest::newRow("raw CR inside") << QByteArray("1 s a\rb\n") << 1 << "raw byte \\x0D at column 6";
  QTest::newRow("offsets go backwards")
      << QByteArray("0 s a\n100 s b\n99.5 s c\n") << 3 << "time offset 99.5 is before the previous datagram's 100";
}

void CaptureTest::parse_capture_errors() {
  QFETCH(QByteArray, text);
  QFETCH(int, line);
  QFETCH(QString, message);
  const tap::CaptureParse parsed = tap::parse_capture(text);
  QVERIFY(!parsed.ok());
  QCOMPARE(parsed.error_line, line);
  QVERIFY2(parsed.error.contains(message), qPrintable(parsed.error));
  QVERIFY(parsed.records.isEmpty());
}

void CaptureTest::endpoint_good_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("address");
  QTest::addColumn<int>("port");
  QTest::newRow("loopback") << "127.0.0.1:29105" << "127.0.0.1" << 29105;
  QTest::newRow("lowest port") << "10.0.0.5:1" << "10.0.0.5" << 1;
  QTest::newRow("broadcast, highest port") << "255.255.255.255:65535" << "255.255.255.255" << 65535;
  QTest::newRow("zeros") << "0.0.0.0:29104" << "0.0.0.0" << 29104;
  QTest::newRow("host alone: default port") << "192.168.1.20" << "192.168.1.20" << 29105;
  QTest::newRow("IPv6 in brackets") << "[::1]:5000" << "::1" << 5000;
  QTest::newRow("IPv6 alone") << "::1" << "::1" << 29105;
  QTest::newRow("localhost by name") << "localhost:7" << "127.0.0.1" << 7;
}

void CaptureTest::endpoint_good() {
  QFETCH(QString, text);
  QFETCH(QString, address);
  QFETCH(int, port);
  QString error;
  const auto e = tap::parse_endpoint(text, &error);
  QVERIFY2(e, qPrintable(error));
  QCOMPARE(e->address, QHostAddress(address));
  QCOMPARE(int(e->port), port);
}

void CaptureTest::endpoint_errors_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("message");
  QTest::newRow("empty") << "" << "missing host";
  QTest::newRow("port only") << ":5" << "missing host";
  QTest::newRow("empty port") << "127.0.0.1:" << "bad port \"\"";
  QTest::newRow("port 0") << "127.0.0.1:0" << "bad port \"0\"";
  QTest::newRow("port too big") << "127.0.0.1:65536" << "bad port \"65536\"";
  QTest::newRow("port with sign") << "127.0.0.1:+5" << "bad port \"+5\"";
  QTest::newRow("port with blank") << "127.0.0.1: 5" << "bad port \" 5\"";
  QTest::newRow("port not a number") << "127.0.0.1:abc" << "bad port \"abc\"";
  QTest::newRow("three numbers") << "1.2.3:5" << "\"1.2.3\" is not an IPv4 address";
  QTest::newRow("number over 255") << "256.0.0.1:5" << "\"256.0.0.1\" is not an IPv4 address";
  QTest::newRow("leading zero") << "010.0.0.1:5" << "\"010.0.0.1\" is not an IPv4 address";
  QTest::newRow("unclosed bracket") << "[::1:5" << "missing \"]\"";
  QTest::newRow("junk after bracket") << "[::1]x" << "expected \":PORT\"";
}

void CaptureTest::endpoint_errors() {
  QFETCH(QString, text);
  QFETCH(QString, message);
  QString error;
  QVERIFY(!tap::parse_endpoint(text, &error));
  QVERIFY2(error.startsWith(QStringLiteral("bad address \"%1\"").arg(text)), qPrintable(error));
  QVERIFY2(error.contains(message), qPrintable(error));
}

QTEST_GUILESS_MAIN(CaptureTest)
#include "capture_test.moc"
