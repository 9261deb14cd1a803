#include "toolkit/frame_pacer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPaintEvent>
#include <QTest>
#include <QTimer>

#include <vector>

namespace {

// Records when it paints and what text it showed.
class PaintedLabel : public QLabel {
public:
  using QLabel::QLabel;
  std::vector<qint64> at_ns;
  QString last_painted;
  QElapsedTimer clock;

protected:
  void paintEvent(QPaintEvent *e) override {
    QLabel::paintEvent(e);
    at_ns.push_back(clock.nsecsElapsed());
    last_painted = text();
  }
};

// Runs the event loop for ms milliseconds.
void spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Runs the event loop until done() or a second has passed.
template <typename Done> bool spin_until(Done done) {
  for (int i = 0; i < 200 && !done(); ++i)
    spin(5);
  return done();
}

// A shown window with one label, watched by a pacer, its first paints done.
struct PacedWindow {
  QWidget window;
  PaintedLabel *label = new PaintedLabel(QStringLiteral("start"), &window);
  FramePacer pacer;

  bool show() {
    label->clock.start();
    pacer.watch(&window);
    window.resize(200, 50);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
      return false;
    spin(50);
    return true;
  }
};

} // namespace

class FramePacerTest : public QObject {
  Q_OBJECT
private slots:
  void changes_paint_at_most_once_a_frame_and_the_last_is_painted();
  void a_change_after_a_quiet_frame_paints_at_once();
  void windows_paint_in_separate_turns();
};

void FramePacerTest::changes_paint_at_most_once_a_frame_and_the_last_is_painted() {
  PacedWindow w;
  QVERIFY(w.show());
  PaintedLabel *label = w.label;
  FramePacer &pacer = w.pacer;
  label->at_ns.clear();

  // A change every turn of the loop for 200 ms: far more than 60 a second.
  QElapsedTimer t;
  t.start();
  int changes = 0;
  while (t.elapsed() < 200) {
    label->setText(QString::number(++changes));
    QCoreApplication::processEvents();
  }
  const QString last = label->text();
  QVERIFY(changes > 100);
  spin(100);
  QVERIFY(pacer.held() > 0);
  QCOMPARE(label->last_painted, last); // the held request was not lost
  QVERIFY(label->at_ns.size() >= 2);
  for (size_t i = 1; i < label->at_ns.size(); ++i) {
    const qint64 gap = label->at_ns[i] - label->at_ns[i - 1];
    QVERIFY2(gap >= FramePacer::kFrameNs - 500000,
             qPrintable(QStringLiteral("paints %1 us apart").arg(gap / 1000)));
  }
}

void FramePacerTest::a_change_after_a_quiet_frame_paints_at_once() {
  PacedWindow w;
  QVERIFY(w.show());
  PaintedLabel *label = w.label;
  FramePacer &pacer = w.pacer;
  const qint64 held = pacer.held();
  label->setText(QStringLiteral("next"));
  QVERIFY(spin_until([&] { return label->last_painted == "next"; }));
  QCOMPARE(pacer.held(), held);
}

void FramePacerTest::windows_paint_in_separate_turns() {
  // Two windows changed together: the second paints on a later turn of the
  // loop, so that what arrived meanwhile is handled between them.
  QWidget a, b;
  auto *la = new PaintedLabel(QStringLiteral("a"), &a);
  auto *lb = new PaintedLabel(QStringLiteral("b"), &b);
  FramePacer pacer;
  pacer.watch(&a);
  pacer.watch(&b);
  a.show();
  b.show();
  QVERIFY(QTest::qWaitForWindowExposed(&a));
  QVERIFY(QTest::qWaitForWindowExposed(&b));
  spin(50);
  la->setText(QStringLiteral("a2"));
  lb->setText(QStringLiteral("b2"));
  QCoreApplication::sendPostedEvents();
  QCOMPARE(int(la->last_painted == "a2") + int(lb->last_painted == "b2"), 1);
  QVERIFY(spin_until([&] { return la->last_painted == "a2" && lb->last_painted == "b2"; }));
}

QTEST_MAIN(FramePacerTest)
#include "frame_pacer_test.moc"
