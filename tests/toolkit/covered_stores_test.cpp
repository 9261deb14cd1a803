#include "toolkit/covered_stores.h"
#include "support/event_loop.h"

#include <QApplication>
#include <QBackingStore>
#include <QEventLoop>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

// What the window's backing store holds, as the screen shows it.
QImage shown_picture(QWidget &w) {
  return w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class CoveredStoresTest : public QObject {
  Q_OBJECT
private slots:
  void covers_window_data();
  void covers_window();
  void a_covered_window_gives_back_its_picture_and_repaints_when_uncovered_data();
  void a_covered_window_gives_back_its_picture_and_repaints_when_uncovered();
};

void CoveredStoresTest::covers_window_data() {
  QTest::addColumn<QRect>("front");
  QTest::addColumn<QRect>("window");
  QTest::addColumn<bool>("covered");
  // Two screens side by side; the front window is on the left one.
  QTest::newRow("inside a front window filling the screen")
      << QRect(0, 0, 800, 600) << QRect(100, 100, 300, 200) << true;
  QTest::newRow("the whole screen itself") << QRect(0, 0, 800, 600) << QRect(0, 0, 800, 600)
                                           << true;
  QTest::newRow("front window short of the screen")
      << QRect(0, 0, 800, 500) << QRect(100, 100, 300, 200) << false;
  QTest::newRow("reaching below every screen: that part shows nowhere")
      << QRect(0, 0, 800, 600) << QRect(100, 300, 300, 500) << true;
  QTest::newRow("reaching onto the other screen")
      << QRect(0, 0, 800, 600) << QRect(700, 100, 300, 200) << false;
  QTest::newRow("on the other screen only")
      << QRect(0, 0, 800, 600) << QRect(900, 100, 300, 200) << false;
  QTest::newRow("off every screen, outside the front window")
      << QRect(0, 0, 800, 600) << QRect(100, 700, 300, 200) << false;
}

void CoveredStoresTest::covers_window() {
  QFETCH(QRect, front);
  QFETCH(QRect, window);
  QFETCH(bool, covered);
  const QList<QRect> screens = {QRect(0, 0, 800, 600), QRect(800, 0, 1024, 768)};
  QCOMPARE(::covers_window(front, screens[0], window, screens), covered);
}

void CoveredStoresTest::a_covered_window_gives_back_its_picture_and_repaints_when_uncovered_data() {
  // The window in front, as a part of its screen.
  QTest::addColumn<QMargins>("short_of_screen");
  // A small window activated after the one in front: the active window
  // covers nothing, the one in front still covers the window behind.
  QTest::addColumn<bool>("small_active");
  QTest::addColumn<bool>("released");
  QTest::newRow("covered by a window filling the screen") << QMargins() << false << true;
  QTest::newRow("covered by it, a small window active") << QMargins() << true << true;
  QTest::newRow("in front of a window short of the screen")
      << QMargins(0, 0, 0, 100) << false << false;
}

void CoveredStoresTest::a_covered_window_gives_back_its_picture_and_repaints_when_uncovered() {
  QFETCH(QMargins, short_of_screen);
  QFETCH(bool, small_active);
  QFETCH(bool, released);
  QWidget back, over, small;
  auto *label = new QLabel(QStringLiteral("start"), &back);
  label->resize(200, 50);
  CoveredStores stores(nullptr, 20);
  stores.watch(&back);
  stores.watch(&over);
  stores.watch(&small);
  back.setGeometry(100, 100, 200, 50);
  over.setGeometry(back.screen()->geometry() - short_of_screen);
  back.show();
  QVERIFY(QTest::qWaitForWindowExposed(&back));
  QVERIFY(spin_until([&] { return back.backingStore()->size() == back.size(); }));
  over.show();
  QVERIFY(QTest::qWaitForWindowExposed(&over));
  over.activateWindow();
  QVERIFY(spin_until([&] { return QApplication::activeWindow() == &over; }));
  if (small_active) {
    small.setGeometry(400, 400, 100, 50);
    small.show();
    QVERIFY(QTest::qWaitForWindowExposed(&small));
    small.activateWindow();
    QVERIFY(spin_until([&] { return QApplication::activeWindow() == &small; }));
  }
  label->setText(QStringLiteral("changed while covered"));
  // The picture goes once the window has stayed covered; the front one keeps
  // its own.
  spin(100);
  QCOMPARE(stores.released() > 0, released);
  QCOMPARE(back.backingStore()->size() == back.size(), !released);
  QCOMPARE(over.backingStore()->size(), over.size());
  if (released) {
    // A change that repaints it while covered takes a whole picture again,
    // which goes again once the window has stayed covered.
    const int before = stores.released();
    label->setText(QStringLiteral("changed again while covered"));
    QVERIFY(spin_until([&] { return stores.released() > before; }));
  }
  // Uncovered, the window shows itself whole and as it is now.
  back.activateWindow();
  QVERIFY(spin_until([&] { return back.backingStore()->size() == back.size(); }));
  const auto painted = [&] { return back.grab().toImage().convertToFormat(QImage::Format_RGB32); };
  QVERIFY(spin_until([&] { return shown_picture(back) == painted(); }));
  QCOMPARE(stores.released() > 0, released);
}

QTEST_MAIN(CoveredStoresTest)
#include "covered_stores_test.moc"
