#include "app/packet_log.h"
#include "protocol/text8.h"

#include <QImage>
#include <QTest>

class PacketLogViewTest : public QObject {
  Q_OBJECT
private slots:
  void long_line_reaches_the_right_edge_data();
  void long_line_reaches_the_right_edge();
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
  log.add_line(from_8bit(line));
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

QTEST_MAIN(PacketLogViewTest)
#include "packet_log_view_test.moc"
