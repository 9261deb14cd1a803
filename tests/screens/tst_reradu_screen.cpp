#include "screens/reradu_commentator_form.h"

#include <QListWidget>
#include <QPaintEvent>
#include <QtTest>

using Lines = QList<QByteArray>;

class TestReraduScreen : public QObject {
  Q_OBJECT
private slots:
  void frame_lines_data();
  void frame_lines();
  void next_frame_replaces_lines();
  void list_shows_eight_bit_text();
  void eight_lines_fit_and_close_hides();
  void repaints_what_changed_data();
  void repaints_what_changed();
};

void TestReraduScreen::frame_lines_data() {
  QTest::addColumn<QByteArray>("packet");
  QTest::addColumn<Lines>("lines");
  QTest::newRow("example") << QByteArray("{reradu}+{data},FINAL SPRINT,HEAT 2, ,,,,,,")
                           << Lines{"FINAL SPRINT", "HEAT 2", "", "", "", "", "", ""};
  QTest::newRow("typewriter frame")
      << QByteArray("{reradu}+{data}1,2,3,4,5,6,7,8,")
      << Lines{"2", "3", "4", "5", "6", "7", "8", ""};
  QTest::newRow("full frame") << QByteArray("{reradu}+{data},L1,L2,L3,L4,L5,L6,L7,L8,")
                              << Lines{"L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8"};
  QTest::newRow("fewer fields") << QByteArray("{reradu}+{data},ONE,TWO")
                                << Lines{"ONE", "TWO", "", "", "", "", "", ""};
  QTest::newRow("no comma at all") << QByteArray("{reradu}+{data}") << Lines(8);
  QTest::newRow("comma inside a line")
      << QByteArray("{reradu}+{data},L1,L2a,L2b,L3,L4,L5,L6,L7,L8,")
      << Lines{"L1", "L2a", "L2b", "L3", "L4", "L5", "L6", "L7"};
  QTest::newRow("blanks at both ends trimmed, inside kept")
      << QByteArray("{reradu}+{data},   A  B   ,\tT ,,,,,,,")
      << Lines{"A  B", "\tT", "", "", "", "", "", ""};
  QTest::newRow("after the ninth field ignored")
      << QByteArray("{reradu}+{data},1,2,3,4,5,6,7,8,9,10,{eop}")
      << Lines{"1", "2", "3", "4", "5", "6", "7", "8"};
  const QByteArray long_line(300, 'w');
  QTest::newRow("long line cut to 255")
      << QByteArray("{reradu}+{data}," + long_line + ",x")
      << Lines{long_line.first(255), "x", "", "", "", "", "", ""};
}

void TestReraduScreen::frame_lines() {
  QFETCH(QByteArray, packet);
  QFETCH(Lines, lines);
  Treradu_commentator_form f(ScreenColours{});
  QCOMPARE(f.apply_packet(packet), ApplyResult::go_on);
  QCOMPARE(f.lines(), lines);
  QCOMPARE(f.list()->count(), 8);
  for (int i = 0; i < 8; ++i)
    QCOMPARE(f.list()->item(i)->text().toLatin1(), lines[i]);
}

void TestReraduScreen::next_frame_replaces_lines() {
  Treradu_commentator_form f(ScreenColours{});
  f.apply_packet("{reradu}+{data},A,B,C,D,E,F,G,H,");
  f.apply_packet("{reradu}+{data},NEW");
  QCOMPARE(f.lines(), (Lines{"NEW", "", "", "", "", "", "", ""}));
  QCOMPARE(f.list()->count(), 8);
  // The list shows the new frame, not what is left of the old one.
  for (int i = 0; i < 8; ++i)
    QCOMPARE(f.list()->item(i)->text().toLatin1(), f.lines()[i]);
}

void TestReraduScreen::list_shows_eight_bit_text() {
  Treradu_commentator_form f(ScreenColours{});
  f.apply_packet("{reradu}+{data},CAF\xC9 \x80");
  QCOMPARE(f.list()->item(0)->text(), QString::fromUtf8("CAFÉ €"));
}

void TestReraduScreen::eight_lines_fit_and_close_hides() {
  Treradu_commentator_form f(ScreenColours{});
  QCOMPARE(f.windowTitle(), QStringLiteral("reradu_commentator_form"));
  QCOMPARE(f.accessibleName(), f.windowTitle());
  f.show();
  f.apply_packet("{reradu}+{data},1,2,3,4,5,6,7,8,");
  QCoreApplication::processEvents();
  const QListWidget *list = f.list();
  const QRect last = list->visualItemRect(list->item(7));
  QVERIFY2(list->viewport()->rect().contains(last),
           qPrintable(QStringLiteral("last line at %1..%2").arg(last.top()).arg(last.bottom())));
  QCOMPARE(last.height(), 48);
  QVERIFY(f.close());
  QVERIFY(f.isHidden());
  QCOMPARE(f.lines().size(), 8);
}

namespace {

// The part of a widget that paints while events are processed.
struct PaintWatch : QObject {
  QRegion painted;
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() == QEvent::Paint)
      painted += static_cast<QPaintEvent *>(e)->region();
    return false;
  }
};

} // namespace

void TestReraduScreen::repaints_what_changed_data() {
  QTest::addColumn<QByteArray>("next");
  QTest::addColumn<bool>("activate");
  QTest::addColumn<bool>("dimmed_when_inactive");
  QTest::addColumn<QList<int>>("lines");
  const QByteArray first = "{reradu}+{data},A,B,C,D,E,F,G,H,";
  QTest::newRow("one line") << QByteArray("{reradu}+{data},A,B,X,D,E,F,G,H,") << false << false
                            << QList<int>{2};
  QTest::newRow("two lines apart") << QByteArray("{reradu}+{data},Z,B,C,D,E,F,G,Y,") << false
                                   << false << QList<int>{0, 7};
  QTest::newRow("the same frame") << first << false << false << QList<int>{};
  QTest::newRow("brought forward") << first << true << false << QList<int>{};
  // Colours that follow the activation must be repainted.
  QTest::newRow("brought forward, dimmed when inactive")
      << first << true << true << QList<int>{0, 1, 2, 3, 4, 5, 6, 7};
}

void TestReraduScreen::repaints_what_changed() {
  QFETCH(QByteArray, next);
  QFETCH(bool, activate);
  QFETCH(bool, dimmed_when_inactive);
  QFETCH(QList<int>, lines);
  Treradu_commentator_form f(ScreenColours{});
  if (dimmed_when_inactive) {
    QPalette p = f.palette();
    p.setColor(QPalette::Inactive, QPalette::Text, Qt::gray);
    f.setPalette(p);
  }
  f.apply_packet("{reradu}+{data},A,B,C,D,E,F,G,H,");
  f.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f));
  QCoreApplication::processEvents();
  PaintWatch watch;
  f.list()->viewport()->installEventFilter(&watch);
  f.apply_packet(next);
  if (activate) {
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(&f, &deactivate);
    QEvent activate_again(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&f, &activate_again);
  }
  // A list lays itself out on a timer of its own: give it a few turns.
  for (int turn = 0; turn < 3; ++turn)
    QCoreApplication::processEvents();
  QRegion expected;
  for (int line : lines)
    expected += f.list()->visualItemRect(f.list()->item(line));
  if (lines.size() == 8)
    QVERIFY(watch.painted.contains(expected.boundingRect()));
  else
    QCOMPARE(watch.painted, expected);
}

QTEST_MAIN(TestReraduScreen)
#include "tst_reradu_screen.moc"
