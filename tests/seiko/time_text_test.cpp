#include "seiko/seiko_messages.h"
#include "seiko/time_text.h"

#include <QTest>
#include <QTime>

Q_DECLARE_METATYPE(clock_time)

class TimeTextTest : public QObject {
  Q_OBJECT
private slots:
  void fit_text_data();
  void fit_text();
  void fit_text_width_is_exact_data();
  void fit_text_width_is_exact();
  void format_clock_time_data();
  void format_clock_time();
  void clock_time_of_data();
  void clock_time_of();
  void read_clock_is_local_time();
  void panel_time_text();
  void caption_lists();
  void panel_messages_data();
  void panel_messages();
};

void TimeTextTest::fit_text_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<int>("width");
  QTest::addColumn<QByteArray>("mode");
  QTest::addColumn<QByteArray>("result");
  const QByteArray twelve = "ABCDEFGHIJKL";
  QTest::newRow("12 l cuts") << twelve << 10 << QByteArray("l") << QByteArray("ABCDEFGHIJ");
  QTest::newRow("12 R keeps the end") << twelve << 10 << QByteArray("R") << QByteArray("CDEFGHIJKL");
  QTest::newRow("12 C cuts") << twelve << 10 << QByteArray("C") << QByteArray("ABCDEFGHIJ");
  QTest::newRow("12 x cuts") << twelve << 10 << QByteArray("x") << QByteArray("ABCDEFGHIJ");
  QTest::newRow("ABC r") << QByteArray("ABC") << 10 << QByteArray("r") << QByteArray("       ABC");
  QTest::newRow("ABC L") << QByteArray("ABC") << 10 << QByteArray("L") << QByteArray("ABC       ");
  QTest::newRow("ABC C") << QByteArray("ABC") << 10 << QByteArray("C") << QByteArray("   ABC    ");
  QTest::newRow("ABC c") << QByteArray("ABC") << 10 << QByteArray("c") << QByteArray("   ABC    ");
  QTest::newRow("ABC x unpadded") << QByteArray("ABC") << 10 << QByteArray("x") << QByteArray("ABC");
  QTest::newRow("AB C: 3 and 5") << QByteArray("AB") << 10 << QByteArray("C") << QByteArray("   AB     ");
  QTest::newRow("A C: 4 and 5") << QByteArray("A") << 10 << QByteArray("C") << QByteArray("    A     ");
  QTest::newRow("empty C: 4 and 6") << QByteArray() << 10 << QByteArray("C") << QByteArray(10, ' ');
  QTest::newRow("one short C: right") << QByteArray("ABCDEFGHI") << 10 << QByteArray("C")
                                      << QByteArray("ABCDEFGHI ");
  QTest::newRow("two short C: right") << QByteArray("ABCDEFGH") << 10 << QByteArray("C")
                                      << QByteArray("ABCDEFGH  ");
  QTest::newRow("three short C") << QByteArray("ABCDEFG") << 10 << QByteArray("C")
                                 << QByteArray(" ABCDEFG  ");
  QTest::newRow("exact width") << QByteArray("ABCDEFGHIJ") << 10 << QByteArray("R")
                               << QByteArray("ABCDEFGHIJ");
  QTest::newRow("mode word") << QByteArray("AB") << 4 << QByteArray("left") << QByteArray("AB  ");
  QTest::newRow("mode word right") << QByteArray("AB") << 4 << QByteArray("Right")
                                   << QByteArray("  AB");
  QTest::newRow("300 L") << QByteArray(290, 'a') + "0123456789" << 10 << QByteArray("L")
                         << QByteArray(10, 'a');
  QTest::newRow("300 R") << QByteArray(290, 'a') + "0123456789" << 10 << QByteArray("R")
                         << QByteArray("0123456789");
  QTest::newRow("width 0 L") << QByteArray("ABC") << 0 << QByteArray("L") << QByteArray();
  QTest::newRow("width 0 R") << QByteArray("ABC") << 0 << QByteArray("R") << QByteArray();
  QTest::newRow("width 0 C") << QByteArray("ABC") << 0 << QByteArray("C") << QByteArray();
  QTest::newRow("width 0 x") << QByteArray("ABC") << 0 << QByteArray("x") << QByteArray();
  QTest::newRow("width 0 empty") << QByteArray() << 0 << QByteArray("C") << QByteArray();
  QTest::newRow("width 1 C") << QByteArray() << 1 << QByteArray("C") << QByteArray(" ");
  QTest::newRow("8-bit kept") << QByteArray("\xe9t\xe9") << 5 << QByteArray("r")
                              << QByteArray("  \xe9t\xe9");
  QTest::newRow("blanks are characters") << QByteArray("  A  ") << 3 << QByteArray("R")
                                         << QByteArray("A  ");
}

void TimeTextTest::fit_text() {
  QFETCH(QByteArray, text);
  QFETCH(int, width);
  QFETCH(QByteArray, mode);
  QFETCH(QByteArray, result);
  QCOMPARE(::fit_text(text, width, mode), result);
}

void TimeTextTest::fit_text_width_is_exact_data() {
  QTest::addColumn<QByteArray>("mode");
  QTest::newRow("L") << QByteArray("L");
  QTest::newRow("R") << QByteArray("R");
  QTest::newRow("C") << QByteArray("C");
}

// In the padding modes every length and every width give exactly width
// characters, and the text's characters stay in order.
void TimeTextTest::fit_text_width_is_exact() {
  QFETCH(QByteArray, mode);
  const QByteArray source = "0123456789abcdef";
  for (int len = 0; len <= 16; ++len) {
    for (int w = 0; w <= 14; ++w) {
      const QByteArray text = source.left(len);
      const QByteArray out = ::fit_text(text, w, mode);
      QCOMPARE(out.size(), qsizetype(w));
      const QByteArray kept = QByteArray(out).replace(' ', "");
      QVERIFY2(text.contains(kept), qPrintable(QString("len %1 w %2").arg(len).arg(w)));
      if (mode == "C" && len > 0 && len < w) {
        // The margin behind is one or two blanks wider, or holds them all.
        const qsizetype front = out.indexOf(text.left(1));
        const qsizetype behind = w - len - front;
        if (w - len <= 2)
          QCOMPARE(front, qsizetype(0));
        else
          QVERIFY(behind - front == 1 || behind - front == 2);
      }
    }
  }
}

void TimeTextTest::format_clock_time_data() {
  QTest::addColumn<clock_time>("time");
  QTest::addColumn<QByteArray>("text");
  QTest::newRow("07:04:09 and 5 ms") << clock_time{7, 4, 9, 50} << QByteArray("07:04:09.0050");
  QTest::newRow("midnight") << clock_time{0, 0, 0, 0} << QByteArray("00:00:00.0000");
  QTest::newRow("last ms") << clock_time{23, 59, 59, 9990} << QByteArray("23:59:59.9990");
  QTest::newRow("09:05:03.1200") << clock_time{9, 5, 3, 1200} << QByteArray("09:05:03.1200");
  QTest::newRow("12:30:15.2500") << clock_time{12, 30, 15, 2500} << QByteArray("12:30:15.2500");
  QTest::newRow("fraction 10") << clock_time{1, 2, 3, 10} << QByteArray("01:02:03.0010");
  QTest::newRow("three digits kept") << clock_time{123, 7, 8, 0} << QByteArray("123:07:08.0000");
  QTest::newRow("five-digit fraction kept") << clock_time{1, 1, 1, 12345}
                                           << QByteArray("01:01:01.12345");
}

void TimeTextTest::format_clock_time() {
  QFETCH(clock_time, time);
  QFETCH(QByteArray, text);
  QCOMPARE(::format_clock_time(time), text);
}

void TimeTextTest::clock_time_of_data() {
  QTest::addColumn<QTime>("wall");
  QTest::addColumn<clock_time>("time");
  QTest::newRow("12:30:15.250") << QTime(12, 30, 15, 250) << clock_time{12, 30, 15, 2500};
  QTest::newRow("midnight") << QTime(0, 0, 0, 0) << clock_time{0, 0, 0, 0};
  QTest::newRow("last ms") << QTime(23, 59, 59, 999) << clock_time{23, 59, 59, 9990};
  QTest::newRow("1 ms") << QTime(9, 5, 3, 1) << clock_time{9, 5, 3, 10};
}

void TimeTextTest::clock_time_of() {
  QFETCH(QTime, wall);
  QFETCH(clock_time, time);
  QCOMPARE(::clock_time_of(wall), time);
}

void TimeTextTest::read_clock_is_local_time() {
  // Read between two local readings; retried across a second's edge.
  for (int attempt = 0; attempt < 5; ++attempt) {
    const QTime before = QTime::currentTime();
    const clock_time t = read_clock();
    const QTime after = QTime::currentTime();
    if (before.second() != after.second())
      continue;
    QCOMPARE(int(t.hours), before.hour());
    QCOMPARE(int(t.minutes), before.minute());
    QCOMPARE(int(t.seconds), before.second());
    QCOMPARE(t.ten_thousandths % 10, 0);
    QVERIFY(t.ten_thousandths >= before.msec() * 10 && t.ten_thousandths <= after.msec() * 10);
    return;
  }
  QFAIL("the clock never stayed within one second");
}

void TimeTextTest::panel_time_text() {
  QCOMPARE(::panel_time_text(clock_time{9, 5, 3, 1200}), QByteArray("09:05:03  "));
  QCOMPARE(::panel_time_text(clock_time{23, 59, 59, 9990}), QByteArray("23:59:59  "));
}

void TimeTextTest::caption_lists() {
  QCOMPARE(time_format_names.size(), size_t(6));
  QCOMPARE(QByteArray(time_format_names[0]), QByteArray("No Punct (HHMMSSFF)"));
  QCOMPARE(QByteArray(time_format_names[1]), QByteArray("F1      (M:MS:SF.F)"));
  QCOMPARE(QByteArray(time_format_names[2]), QByteArray("F2      (MM:SS.FF)"));
  QCOMPARE(QByteArray(time_format_names[3]), QByteArray("F3      (M:SS.FFF)"));
  QCOMPARE(QByteArray(time_format_names[4]), QByteArray("TOD     (HH:MM:SS)"));
  QCOMPARE(QByteArray(time_format_names[5]), QByteArray("Custom"));
  QCOMPARE(position_names.size(), size_t(21));
  QCOMPARE(QByteArray(position_names[0]), QByteArray("blank"));
  for (int i = 1; i <= 5; ++i)
    QCOMPARE(QByteArray(position_names[i]), "last colon + " + QByteArray::number(i));
  for (int i = 1; i <= 10; ++i)
    QCOMPARE(QByteArray(position_names[5 + i]), "last colon - " + QByteArray::number(i));
  for (int i = 1; i <= 5; ++i)
    QCOMPARE(QByteArray(position_names[15 + i]), "last period + " + QByteArray::number(i));
}

void TimeTextTest::panel_messages_data() {
  QTest::addColumn<int>("panel");
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QByteArray>("body");
  QTest::newRow("panel 1") << 1 << QByteArray("AB") << QByteArray("015D0101AB        ");
  QTest::newRow("panel 6 cut") << 6 << QByteArray("ABCDEFGHIJKL") << QByteArray("015D0601ABCDEFGHIJ");
  QTest::newRow("panel 12 grows") << 12 << QByteArray() << QByteArray("015D01201          ");
}

void TimeTextTest::panel_messages() {
  QFETCH(int, panel);
  QFETCH(QByteArray, text);
  QFETCH(QByteArray, body);
  QCOMPARE(panel_body(panel, text), body);
  QCOMPARE(framed(body), "\x02" + body + "\x03");
  QCOMPARE(framed(update_end_body()), QByteArray("\x02" "003C63" "\x03"));
}

QTEST_APPLESS_MAIN(TimeTextTest)
#include "time_text_test.moc"
