#include "app/packet_log.h"

#include <QImage>
#include <QScreen>
#include <QTest>

class PacketLogViewTest : public QObject {
  Q_OBJECT
private slots:
  void long_line_reaches_the_right_edge_data();
  void long_line_reaches_the_right_edge();
  void shown_picture_matches_a_fresh_one_data();
  void shown_picture_matches_a_fresh_one();
};

void PacketLogViewTest::long_line_reaches_the_right_edge_data() {
  // Only the part of a line the view can show is laid out: however narrow
  // its characters, the text must still run to the view's right edge.
  QTest::addColumn<QByteArray>("line");
  QTest::newRow("narrowest letters") << QByteArray(1024, 'i');
  QTest::newRow("points") << QByteArray(1024, '.');
  QTest::newRow("bars") << QByteArray(1024, '|');
  QTest::newRow("8-bit") << QByteArray(1024, '\xA1');
  QTest::newRow("wide letters") << QByteArray(1024, 'W');
  QTest::newRow("wide letters, then narrow ones") << QByteArray(40, 'W') + QByteArray(984, 'i');
  QTest::newRow("kerned pairs") << QByteArray("AV").repeated(512);
  QTest::newRow("control character first") << QByteArray("\x01") + QByteArray(1023, 'i');
  QTest::newRow("datagram") << QByteArray("127.0.0.1>{tt}+{audit}2{crs}1{stack}0{n1}15.350")
                                   .repeated(30)
                                   .left(1024);
}

void PacketLogViewTest::long_line_reaches_the_right_edge() {
  QFETCH(QByteArray, line);
  PacketLog log;
  log.set_colours(Qt::black, Qt::white);
  PacketLogView view;
  view.setModel(&log);
  view.setUniformItemSizes(true);
  view.resize(600, 120);
  log.add_line(line);
  view.show();
  const QImage image = view.viewport()->grab().toImage();
  // Some text pixel in the last 16 columns of the first row.
  const int right = view.viewport()->width();
  bool lit = false;
  for (int x = right - 16; x < right && !lit; ++x)
    for (int y = 0; y < 13 && !lit; ++y)
      lit = qGray(image.pixel(x, y)) > 64;
  QVERIFY(lit);
}

namespace {

void turn_event_loop(int times) {
  for (int i = 0; i < times; ++i) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
  }
}

} // namespace

void PacketLogViewTest::shown_picture_matches_a_fresh_one_data() {
  // Lines that move up in a full log move the shown picture instead of
  // painting it again: what is on the screen must still be what a fresh
  // paint of the log gives.
  QTest::addColumn<int>("lines");
  QTest::addColumn<int>("per_turn");
  QTest::addColumn<int>("height");
  QTest::addColumn<bool>("scrolled_up");
  QTest::addColumn<bool>("hidden_a_while");
  QTest::newRow("full log, a line a turn") << 45 << 1 << 120 << false << false;
  QTest::newRow("full log, lines come faster than paints") << 70 << 7 << 120 << false << false;
  QTest::newRow("more lines between paints than rows on view")
      << 70 << 12 << 120 << false << false;
  QTest::newRow("height not a whole number of rows") << 45 << 2 << 127 << false << false;
  QTest::newRow("view taller than the log") << 45 << 1 << 500 << false << false;
  QTest::newRow("scrolled up by the user") << 45 << 1 << 120 << true << false;
  QTest::newRow("hidden while lines come") << 60 << 3 << 120 << false << true;
}

void PacketLogViewTest::shown_picture_matches_a_fresh_one() {
  QFETCH(int, lines);
  QFETCH(int, per_turn);
  QFETCH(int, height);
  QFETCH(bool, scrolled_up);
  QFETCH(bool, hidden_a_while);
  PacketLog log;
  log.set_colours(Qt::black, Qt::white);
  PacketLogView view;
  view.setModel(&log);
  view.setUniformItemSizes(true);
  view.resize(400, height);
  view.show();
  turn_event_loop(3);
  for (int i = 0; i < lines; ++i) {
    log.add_line("127.0.0.1>{scratch}+{line}" + QByteArray::number(i) + "{rider}" +
                 QByteArray::number(i * 7));
    if (i == PacketLog::kMaxLines)
      scrolled_up ? view.scrollToTop() : view.scrollToBottom();
    if (hidden_a_while && i == PacketLog::kMaxLines + 10)
      view.hide();
    if (hidden_a_while && i == PacketLog::kMaxLines + 15)
      view.show();
    if (i % per_turn == per_turn - 1)
      turn_event_loop(3);
  }
  turn_event_loop(3);
  QWidget *vp = view.viewport();
  const QPoint at = vp->mapTo(&view, QPoint(0, 0));
  const QImage shown =
      view.screen()->grabWindow(view.winId(), at.x(), at.y(), vp->width(), vp->height()).toImage();
  const QImage fresh = vp->grab().toImage();
  QCOMPARE(shown.size(), fresh.size());
  QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), fresh.convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(PacketLogViewTest)
#include "packet_log_view_test.moc"
