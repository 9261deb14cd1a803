#include "toolkit/frame_pacer.h"
#include "support/event_loop.h"
#include "toolkit/short_timer.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QPaintEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <map>

namespace {

// The pacer's clock, moved only by the test: whole frames pass when the test
// says so, however slowly the machine runs.
struct TestClock {
  qint64 now_ns = 0;
  FramePacer::Clock clock() {
    return [this] { return now_ns; };
  }
};

// Records on which frame of the test's clock it painted, and what text.
class PaintedLabel : public QLabel {
public:
  PaintedLabel(const QString &text, QWidget *parent, const TestClock &clock)
      : QLabel(text, parent), clock_(clock) {}
  std::map<qint64, int> paints_per_frame;
  QString last_painted;

protected:
  void paintEvent(QPaintEvent *e) override {
    QLabel::paintEvent(e);
    ++paints_per_frame[clock_.now_ns / FramePacer::kFrameNs];
    last_painted = text();
  }

private:
  const TestClock &clock_;
};

// A shown window with one label, watched by a pacer on the test's clock,
// its first paints done.
struct PacedWindow {
  TestClock clock;
  QWidget window;
  PaintedLabel *label = new PaintedLabel(QStringLiteral("start"), &window, clock);
  FramePacer pacer{nullptr, clock.clock()};

  bool show() {
    pacer.watch(&window);
    window.resize(200, 50);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
      return false;
    spin(50);
    clock.now_ns += FramePacer::kFrameNs;
    label->paints_per_frame.clear();
    return true;
  }
};

} // namespace

class FramePacerTest : public QObject {
  Q_OBJECT
private slots:
  void changes_paint_at_most_once_a_frame_and_the_last_is_painted();
  void a_change_after_a_quiet_frame_paints_at_once_data();
  void a_change_after_a_quiet_frame_paints_at_once();
  void windows_paint_in_separate_turns();
  void a_covered_window_paints_when_uncovered_data();
  void a_covered_window_paints_when_uncovered();
  void short_timer_fires_once_for_its_last_start_data();
  void short_timer_fires_once_for_its_last_start();
};

void FramePacerTest::changes_paint_at_most_once_a_frame_and_the_last_is_painted() {
  PacedWindow w;
  QVERIFY(w.show());
  PaintedLabel *label = w.label;
  // Each frame, a change on every turn of the loop, far more than one a
  // frame; then the frame ends and the held change must come through.
  constexpr int kFrames = 10;
  constexpr int kChangesPerFrame = 20;
  int changes = 0;
  for (int frame = 0; frame < kFrames; ++frame) {
    for (int i = 0; i < kChangesPerFrame; ++i) {
      label->setText(QString::number(++changes));
      QCoreApplication::processEvents();
    }
    w.clock.now_ns += FramePacer::kFrameNs;
    const QString last = label->text();
    QVERIFY2(spin_until([&] { return label->last_painted == last; }),
             qPrintable(QStringLiteral("frame %1: %2 never painted").arg(frame).arg(last)));
  }
  QVERIFY(w.pacer.held() >= kFrames);
  for (const auto &[frame, paints] : label->paints_per_frame)
    QVERIFY2(paints == 1, qPrintable(QStringLiteral("%1 paints on frame %2").arg(paints).arg(frame)));
  QVERIFY(int(label->paints_per_frame.size()) >= kFrames);
}

void FramePacerTest::a_change_after_a_quiet_frame_paints_at_once_data() {
  QTest::addColumn<qint64>("quiet_ns"); // since the last repaint
  // Made while datagrams read together are handed on; the hold released
  // after, or kept for longer than a frame.
  QTest::addColumn<bool>("paints_held");
  QTest::addColumn<bool>("released");
  QTest::addColumn<bool>("at_once");
  QTest::newRow("a frame") << FramePacer::kFrameNs << false << false << true;
  // Less than half a millisecond left of the frame is no wait.
  QTest::newRow("half a millisecond short of a frame")
      << FramePacer::kFrameNs - 500000 << false << false << true;
  QTest::newRow("a millisecond short of a frame")
      << FramePacer::kFrameNs - 1000000 << false << false << false;
  QTest::newRow("a frame, paints held") << FramePacer::kFrameNs << true << true << false;
  QTest::newRow("a frame, paints held for a frame")
      << FramePacer::kFrameNs << true << false << false;
}

void FramePacerTest::a_change_after_a_quiet_frame_paints_at_once() {
  QFETCH(qint64, quiet_ns);
  QFETCH(bool, paints_held);
  QFETCH(bool, released);
  QFETCH(bool, at_once);
  PacedWindow w;
  QVERIFY(w.show());
  PaintedLabel *label = w.label;
  // The first repaint was at the clock's zero.
  w.clock.now_ns = quiet_ns;
  const qint64 held = w.pacer.held();
  if (paints_held)
    w.pacer.hold_paints();
  label->setText(QStringLiteral("next"));
  if (!at_once) {
    spin(30);
    QVERIFY(label->last_painted != "next");
    QVERIFY(w.pacer.held() > held);
    w.clock.now_ns = FramePacer::kFrameNs;
    if (paints_held && released)
      w.pacer.release_paints();
    if (paints_held && !released)
      w.clock.now_ns += FramePacer::kFrameNs;
  }
  QVERIFY(spin_until([&] { return label->last_painted == "next"; }));
  if (at_once)
    QCOMPARE(w.pacer.held(), held);
  QCOMPARE(label->paints_per_frame.size(), size_t(1));
}

void FramePacerTest::windows_paint_in_separate_turns() {
  // Two windows changed together: the second paints on a later turn of the
  // loop, so that what arrived meanwhile is handled between them.
  TestClock clock;
  QWidget a, b;
  auto *la = new PaintedLabel(QStringLiteral("a"), &a, clock);
  auto *lb = new PaintedLabel(QStringLiteral("b"), &b, clock);
  FramePacer pacer(nullptr, clock.clock());
  pacer.watch(&a);
  pacer.watch(&b);
  a.show();
  b.show();
  QVERIFY(QTest::qWaitForWindowExposed(&a));
  QVERIFY(QTest::qWaitForWindowExposed(&b));
  spin(50);
  clock.now_ns += FramePacer::kFrameNs;
  la->setText(QStringLiteral("a2"));
  lb->setText(QStringLiteral("b2"));
  QCoreApplication::sendPostedEvents();
  QCOMPARE(int(la->last_painted == "a2") + int(lb->last_painted == "b2"), 1);
  QVERIFY(spin_until([&] { return la->last_painted == "a2" && lb->last_painted == "b2"; }));
}

void FramePacerTest::a_covered_window_paints_when_uncovered_data() {
  // The window in front, as a part of its screen.
  QTest::addColumn<QMargins>("short_of_screen");
  // A small window elsewhere, activated last, is in front of both.
  QTest::addColumn<bool>("small_one_in_front");
  QTest::addColumn<bool>("held");
  // How it is uncovered: activated, the one in front minimised, or raised
  // (a window manager may refuse to activate it).
  QTest::addColumn<QString>("uncovered_by");
  QTest::newRow("covered by a window filling the screen")
      << QMargins() << false << true << "activated";
  QTest::newRow("covered, a small window in front") << QMargins() << true << true << "activated";
  QTest::newRow("covered, then the one in front minimised")
      << QMargins() << false << true << "minimised";
  QTest::newRow("covered, then raised") << QMargins() << false << true << "raised";
  QTest::newRow("covered by a window short of the screen")
      << QMargins(0, 0, 0, 100) << false << false << "activated";
  QTest::newRow("beside it") << QMargins(400, 0, 0, 0) << false << false << "activated";
}

void FramePacerTest::a_covered_window_paints_when_uncovered() {
  // A window behind the active one changes: it paints only when it can be
  // seen, and then shows the last change.
  QFETCH(QMargins, short_of_screen);
  QFETCH(bool, small_one_in_front);
  QFETCH(bool, held);
  QFETCH(QString, uncovered_by);
  TestClock clock;
  QWidget back, over, small;
  auto *label = new PaintedLabel(QStringLiteral("start"), &back, clock);
  label->resize(200, 50);
  FramePacer pacer(nullptr, clock.clock());
  pacer.watch(&back);
  pacer.watch(&over);
  back.setGeometry(100, 100, 200, 50);
  over.setGeometry(back.screen()->geometry() - short_of_screen);
  back.show();
  over.show();
  QVERIFY(QTest::qWaitForWindowExposed(&back));
  QVERIFY(QTest::qWaitForWindowExposed(&over));
  over.activateWindow();
  QVERIFY(spin_until([&] { return QApplication::activeWindow() == &over; }));
  if (small_one_in_front) {
    pacer.watch(&small);
    small.setGeometry(back.geometry().translated(0, 200));
    small.show();
    QVERIFY(QTest::qWaitForWindowExposed(&small));
    small.activateWindow();
    QVERIFY(spin_until([&] { return QApplication::activeWindow() == &small; }));
  }
  spin(50);
  for (int i = 1; i <= 3; ++i) {
    clock.now_ns += FramePacer::kFrameNs;
    label->setText(QStringLiteral("change %1").arg(i));
    spin(30);
  }
  QCOMPARE(label->last_painted == QStringLiteral("change 3"), !held);
  if (uncovered_by == "minimised")
    over.showMinimized();
  else if (uncovered_by == "raised")
    back.raise();
  else
    back.activateWindow();
  QVERIFY(spin_until([&] { return label->last_painted == QStringLiteral("change 3"); }));
}

void FramePacerTest::short_timer_fires_once_for_its_last_start_data() {
  // Waits in nanoseconds; -1 stops the timer. An expiry already counted
  // when it is stopped or started again must not fire later.
  // A timer never started holds no descriptor: the event loop watches
  // every one on every turn.
  QTest::addColumn<QList<qint64>>("starts");
  QTest::addColumn<int>("fires");
  QTest::addColumn<int>("descriptors");
  QTest::newRow("a short wait") << QList<qint64>{200000} << 1 << 1;
  QTest::newRow("no wait") << QList<qint64>{0} << 1 << 1;
  QTest::newRow("stopped before it fires") << QList<qint64>{2000000, -1} << 0 << 1;
  QTest::newRow("expired, then stopped") << QList<qint64>{1, -1} << 0 << 1;
  QTest::newRow("started again while waiting") << QList<qint64>{1, 300000} << 1 << 1;
  QTest::newRow("never started") << QList<qint64>{} << 0 << 0;
  QTest::newRow("stopped, never started") << QList<qint64>{-1} << 0 << 0;
}

void FramePacerTest::short_timer_fires_once_for_its_last_start() {
  QFETCH(QList<qint64>, starts);
  QFETCH(int, fires);
  QFETCH(int, descriptors);
  const auto open_descriptors = [] {
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
        .size();
  };
  const qsizetype before = open_descriptors();
  int fired = 0;
  ShortTimer timer([&] { ++fired; });
  for (qint64 ns : starts) {
    if (ns < 0)
      timer.stop();
    else
      timer.start(ns);
    // Lets a one-nanosecond wait expire before the next step.
    QTest::qSleep(1);
  }
  if (fires > 0)
    QVERIFY(spin_until([&] { return fired > 0; }));
  spin(30);
  QCOMPARE(fired, fires);
  QCOMPARE(timer.active(), false);
  QCOMPARE(open_descriptors() - before, qsizetype(descriptors));
}

QTEST_MAIN(FramePacerTest)
#include "frame_pacer_test.moc"
