#include "toolkit/led_label.h"

#include <QAccessible>
#include <QImage>
#include <QTest>

namespace {

// Pixels of exactly the given colour in the label as drawn.
int pixels_of(LedLabel &label, const QColor &colour) {
  const QImage image = label.grab().toImage();
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y).rgb() == colour.rgb())
        ++n;
  return n;
}

} // namespace

class LedLabelTest : public QObject {
  Q_OBJECT
private slots:
  void segments_data();
  void segments();
  void every_digit_and_letter_lights_something();
  void text_is_the_accessible_name();
  void drawing_data();
  void drawing();
  void segment_size_and_stroke_set_the_cell();
};

void LedLabelTest::segments_data() {
  using namespace led;
  QTest::addColumn<QChar>("c");
  QTest::addColumn<int>("lit");
  QTest::newRow("1") << QChar('1') << int(upper_right | lower_right);
  QTest::newRow("8") << QChar('8') << int(top | upper_right | lower_right | bottom | lower_left |
                                           upper_left | middle_left | middle_right);
  QTest::newRow("7") << QChar('7') << int(top | upper_right | lower_right);
  QTest::newRow("T") << QChar('T') << int(top | centre_upper | centre_lower);
  QTest::newRow("t like T") << QChar('t') << int(top | centre_upper | centre_lower);
  QTest::newRow("X") << QChar('X')
                     << int(diagonal_upper_left | diagonal_upper_right | diagonal_lower_left |
                            diagonal_lower_right);
  QTest::newRow("colon") << QChar(':') << int(colon);
  QTest::newRow("point") << QChar('.') << int(point);
  QTest::newRow("minus") << QChar('-') << int(middle_left | middle_right);
  QTest::newRow("blank") << QChar(' ') << 0;
  QTest::newRow("unknown") << QChar('~') << 0;
}

void LedLabelTest::segments() {
  QFETCH(QChar, c);
  QFETCH(int, lit);
  QCOMPARE(int(led::segments_of(c)), lit);
}

void LedLabelTest::every_digit_and_letter_lights_something() {
  QSet<int> seen;
  for (char c : QByteArray("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")) {
    const int lit = led::segments_of(QChar(c));
    QVERIFY2(lit != 0, &c);
    QVERIFY2(!(lit & (led::colon | led::point)), &c);
    seen.insert(lit);
  }
  // 0/O, 5/S, 1/I-like pairs may share a pattern, but nearly all differ.
  QVERIFY(seen.size() >= 33);
}

void LedLabelTest::text_is_the_accessible_name() {
  LedLabel label;
  label.setText("09:05:03  ");
  label.show();
  QCOMPARE(label.text(), QString("09:05:03  "));
  QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&label);
  QVERIFY(iface);
  QCOMPARE(iface->role(), QAccessible::StaticText);
  QCOMPARE(iface->text(QAccessible::Name), QString("09:05:03  "));
}

void LedLabelTest::drawing_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("lit");
  QTest::newRow("blanks light nothing") << QString("          ") << false;
  QTest::newRow("empty lights nothing") << QString() << false;
  QTest::newRow("digits") << QString("8") << true;
  QTest::newRow("letters") << QString("AB") << true;
  QTest::newRow("colon") << QString(":") << true;
}

void LedLabelTest::drawing() {
  QFETCH(QString, text);
  QFETCH(bool, lit);
  LedLabel label;
  label.resize(93, 20);
  label.setText(text);
  QCOMPARE(pixels_of(label, QColor(255, 255, 0)) > 0, lit);
}

void LedLabelTest::segment_size_and_stroke_set_the_cell() {
  LedLabel label;
  label.resize(200, 60);
  label.set_segment_size(4, 5);
  label.set_stroke(1);
  QCOMPARE(label.cell_height(), 13);
  label.setText("8");
  const int small = pixels_of(label, QColor(255, 255, 0));
  // The lit segments of an 8: three bars of 4 and four of 5, one pixel thick.
  QCOMPARE(small, 3 * 4 + 4 * 5);
  label.set_segment_size(8, 10);
  label.set_stroke(2);
  QCOMPARE(label.cell_height(), 26);
  QCOMPARE(pixels_of(label, QColor(255, 255, 0)), 2 * (3 * 8 + 4 * 10));
  label.set_active_colour(QColor(0, 255, 0));
  QCOMPARE(pixels_of(label, QColor(255, 255, 0)), 0);
  QVERIFY(pixels_of(label, QColor(0, 255, 0)) > 0);
  QVERIFY(label.sizeHint().width() >= label.cell_width());
}

QTEST_MAIN(LedLabelTest)
#include "led_label_test.moc"
