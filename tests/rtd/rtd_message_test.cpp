#include "rtd/rtd_message.h"

#include <QtTest>

namespace {
RtdLines lines_of(const QList<QByteArray> &given) {
  RtdLines out;
  for (int i = 0; i < given.size() && i < 8; ++i)
    out[size_t(i)] = given[i];
  return out;
}
} // namespace

class TestRtdMessage : public QObject {
  Q_OBJECT
private slots:
  void pad_data();
  void pad();
  void code_field_data();
  void code_field();
  void sequence_runs_1_to_6_then_0();
  void message_data();
  void message();
};

void TestRtdMessage::pad_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<int>("width");
  QTest::addColumn<QByteArray>("expected");
  QTest::newRow("empty padded") << QByteArray() << 5 << QByteArray("     ");
  QTest::newRow("short padded") << QByteArray("AB") << 5 << QByteArray("AB   ");
  QTest::newRow("exact") << QByteArray("ABCDE") << 5 << QByteArray("ABCDE");
  QTest::newRow("long cut") << QByteArray("ABCDEFG") << 5 << QByteArray("ABCDE");
  QTest::newRow("trailing blanks kept") << QByteArray("A  ") << 2 << QByteArray("A ");
  QTest::newRow("8-bit bytes") << QByteArray("\xe9\xe8") << 3 << QByteArray("\xe9\xe8 ");
  QTest::newRow("width 30 of 35") << QByteArray(35, 'x') << 30 << QByteArray(30, 'x');
}

void TestRtdMessage::pad() {
  QFETCH(QByteArray, text);
  QFETCH(int, width);
  QFETCH(QByteArray, expected);
  QCOMPARE(rtd_pad(text, width), expected);
}

void TestRtdMessage::code_field_data() {
  QTest::addColumn<int>("code");
  QTest::addColumn<QByteArray>("expected");
  QTest::newRow("0") << 0 << QByteArray("00");
  QTest::newRow("1") << 1 << QByteArray("01");
  QTest::newRow("5") << 5 << QByteArray("05");
  QTest::newRow("9") << 9 << QByteArray("09");
  QTest::newRow("10") << 10 << QByteArray("10");
  QTest::newRow("12") << 12 << QByteArray("12");
  QTest::newRow("99") << 99 << QByteArray("99");
}

void TestRtdMessage::code_field() {
  QFETCH(int, code);
  QFETCH(QByteArray, expected);
  QCOMPARE(rtd_code_field(code), expected);
}

void TestRtdMessage::sequence_runs_1_to_6_then_0() {
  int s = 0;
  QList<int> seen;
  for (int i = 0; i < 9; ++i) {
    s = rtd_next_sequence(s);
    seen << s;
  }
  QCOMPARE(seen, (QList<int>{1, 2, 3, 4, 5, 6, 0, 1, 2}));
}

void TestRtdMessage::message_data() {
  QTest::addColumn<int>("sequence");
  QTest::addColumn<int>("code");
  QTest::addColumn<QList<QByteArray>>("lines");
  QTest::addColumn<int>("width");
  QTest::addColumn<QByteArray>("expected");

  QTest::newRow("first of a run, W 25, code 1, empty lines")
      << 1 << 1 << QList<QByteArray>{} << 25
      << (QByteArray("\r10100  ") + QByteArray(200, ' ') + "\r");
  QTest::newRow("code 5") << 2 << 5 << QList<QByteArray>{} << 25
                          << (QByteArray("\r20500  ") + QByteArray(200, ' ') + "\r");
  QTest::newRow("code 12") << 0 << 12 << QList<QByteArray>{} << 25
                           << (QByteArray("\r01200  ") + QByteArray(200, ' ') + "\r");
  QTest::newRow("cut and padded lines")
      << 3 << 1
      << QList<QByteArray>{"HELLO", QByteArray(30, 'L'), "", "", "", "", "", "END"} << 25
      << (QByteArray("\r30100  ") + "HELLO" + QByteArray(20, ' ') + QByteArray(25, 'L') +
          QByteArray(125, ' ') + "END" + QByteArray(22, ' ') + "\r");
  QTest::newRow("W 10") << 6 << 1 << QList<QByteArray>{"ABCDEFGHIJKL"} << 10
                        << (QByteArray("\r60100  ") + "ABCDEFGHIJ" + QByteArray(70, ' ') + "\r");
  QTest::newRow("W 30 gives 249 bytes")
      << 1 << 1 << QList<QByteArray>{} << 30
      << (QByteArray("\r10100  ") + QByteArray(240, ' ') + "\r");
  QTest::newRow("a zero byte ends the message")
      << 1 << 1 << QList<QByteArray>{QByteArray("AB\0CD", 5)} << 25
      << QByteArray("\r10100  AB");
}

void TestRtdMessage::message() {
  QFETCH(int, sequence);
  QFETCH(int, code);
  QFETCH(QList<QByteArray>, lines);
  QFETCH(int, width);
  QFETCH(QByteArray, expected);
  const QByteArray got = rtd_message(sequence, code, lines_of(lines), width);
  QCOMPARE(got, expected);
  if (!expected.contains('\r') || expected.endsWith('\r'))
    QCOMPARE(got.size(), expected.size());
}

QTEST_APPLESS_MAIN(TestRtdMessage)
#include "rtd_message_test.moc"
