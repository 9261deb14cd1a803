#include "screens/sprintr_commentator_form.h"

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace {

const ScreenColours kColours{0x000000, 0xFFFFFF, 0x800080};

const QByteArray kFourRacers =
    "{sprintf}+{title}1/4 Final Heat 1{rnk1}1{r1}12 A. RIDER{rnk2}2{r2}7 B. RIDER"
    "{rnk3}3{r3}3 C. RIDER{rnk4}4{r4}9 D. RIDER{et}10.512{spdk}68.49{spdm}42.56{eop}";

// Every cell the Packets write, in (column, row) order of the heat table.
const QList<QPair<int, int>> kDataCells = {{1, 0}, {2, 0}, {1, 1}, {2, 1}, {1, 2}, {2, 2},
                                           {1, 3}, {2, 3}, {2, 4}, {2, 5}, {2, 6}};

void check_headings(const TextGridModel &t) {
  QCOMPARE(t.cell(0, 0), QByteArray("Racers"));
  QCOMPARE(t.cell(0, 1), QByteArray());
  QCOMPARE(t.cell(0, 4), QByteArray("Time"));
  QCOMPARE(t.cell(0, 5), QByteArray("KMH"));
  QCOMPARE(t.cell(0, 6), QByteArray("MPH"));
}

} // namespace

class TestSprintScreen : public QObject {
  Q_OBJECT
private slots:
  void table_sized_and_centred();
  void full_heat();
  void later_heat_replaces_earlier_data();
  void later_heat_replaces_earlier();
  void shown_reads_colours();
  void resizing_moves_nothing();
  void closing_asks_to_terminate();
};

void TestSprintScreen::table_sized_and_centred() {
  Tsprintr_commentator_form f(kColours);
  const TextGridModel &t = f.heat_table();
  QCOMPARE(t.row_count(), 7);
  QCOMPARE(t.col_count(), 3);
  QCOMPARE(t.fixed_rows(), 0);
  QCOMPARE(t.fixed_cols(), 1);
  QCOMPARE(t.col_width(0), 128);
  QCOMPARE(t.col_width(1), 64);
  QCOMPARE(t.col_width(2), 320);
  QCOMPARE(t.row_height(6), 30);
  QCOMPARE(f.heat_view()->geometry(), QRect(87, 56, 522, 220));
  check_headings(t);
}

void TestSprintScreen::full_heat() {
  Tsprintr_commentator_form f(kColours);
  f.show();
  QCOMPARE(f.apply_packet(kFourRacers), ApplyResult::go_on);
  const TextGridModel &t = f.heat_table();
  QCOMPARE(f.title(), QByteArray("1/4 Final Heat 1"));
  QCOMPARE(f.title_label()->text(), QStringLiteral("1/4 Final Heat 1"));
  QCOMPARE(t.cell(1, 0), QByteArray("1"));
  QCOMPARE(t.cell(2, 0), QByteArray("12 A. RIDER"));
  QCOMPARE(t.cell(2, 3), QByteArray("9 D. RIDER"));
  QCOMPARE(t.cell(2, 4), QByteArray("10.512"));
  QCOMPARE(t.cell(2, 5), QByteArray("68.49"));
  QCOMPARE(t.cell(2, 6), QByteArray("42.56"));
  // Column 1 of the time and speed rows is never written.
  QCOMPARE(t.cell(1, 4), QByteArray());
  check_headings(t);
  QCOMPARE(f.heat_view()->geometry(), QRect(87, 56, 522, 220));
}

void TestSprintScreen::later_heat_replaces_earlier_data() {
  QTest::addColumn<QByteArray>("packet");
  QTest::addColumn<QByteArray>("title");
  QTest::addColumn<QList<QByteArray>>("cells"); // in kDataCells order
  QTest::newRow("two racers after four")
      << QByteArray("{sprintf}+{title}Final{rnk1}1{r1}12 A. RIDER{rnk2}2{r2}7 B. RIDER{eop}")
      << QByteArray("Final")
      << QList<QByteArray>{"1", "12 A. RIDER", "2", "7 B. RIDER", "", "", "", "", "", "", ""};
  QTest::newRow("nothing but the kind") << QByteArray("{sprintf}+") << QByteArray()
                                        << QList<QByteArray>(11);
  QTest::newRow("markup shown as sent")
      << QByteArray("{sprintf}+{title}Men <b>Final</b> &lt; <img src=\"x.png\"> A & B{r1}<i>x</i>")
      << QByteArray("Men <b>Final</b> &lt; <img src=\"x.png\"> A & B")
      << QList<QByteArray>{"", "<i>x</i>", "", "", "", "", "", "", "", "", ""};
  QTest::newRow("time only")
      << QByteArray("{sprintf}+{et}11.0") << QByteArray()
      << QList<QByteArray>{"", "", "", "", "", "", "", "", "11.0", "", ""};
}

void TestSprintScreen::later_heat_replaces_earlier() {
  QFETCH(QByteArray, packet);
  QFETCH(QByteArray, title);
  QFETCH(QList<QByteArray>, cells);
  Tsprintr_commentator_form f(kColours);
  f.apply_packet(kFourRacers);
  f.apply_packet(packet);
  QCOMPARE(f.title(), title);
  QCOMPARE(f.title_label()->text().toLatin1(), title);
  QCOMPARE(f.title_label()->textFormat(), Qt::PlainText);
  // Screen readers read the title itself; what it is is the description.
  QAccessibleInterface *a = QAccessible::queryAccessibleInterface(f.title_label());
  QVERIFY(a);
  QCOMPARE(a->text(QAccessible::Name).toLatin1(), title);
  QCOMPARE(a->text(QAccessible::Description), QStringLiteral("Heat title"));
  const TextGridModel &t = f.heat_table();
  for (int i = 0; i < kDataCells.size(); ++i)
    QCOMPARE(t.cell(kDataCells[i].first, kDataCells[i].second), cells[i]);
  check_headings(t);
}

void TestSprintScreen::shown_reads_colours() {
  ScreenColours colours{0x000000, 0xFFFFFF, 0x800080};
  Tsprintr_commentator_form f(colours);
  // Read when shown, not when created.
  colours.fixed = 0x0000FF;
  f.show();
  QCOMPARE(f.windowTitle(), QStringLiteral("Vorevadovid Screen, Sprint"));
  QCOMPARE(f.accessibleName(), f.windowTitle());
  QCOMPARE(f.heat_table().cell_colour(), QColor(Qt::black));
  QCOMPARE(f.heat_table().text_colour(), QColor(Qt::white));
  QCOMPARE(f.heat_table().fixed_colour(), QColor(0xFF, 0x00, 0x00));
  QVERIFY(f.heat_table().font().bold());
  QCOMPARE(f.heat_table().font().pointSize(), 18);
}

void TestSprintScreen::resizing_moves_nothing() {
  Tsprintr_commentator_form f(kColours);
  f.show();
  f.resize(1200, 900);
  QCoreApplication::processEvents();
  QCOMPARE(f.heat_view()->geometry(), QRect(87, 56, 522, 220));
  QCOMPARE(f.title_label()->geometry(), QRect(8, 12, 681, 37));
  QCOMPARE(f.heat_view()->parentWidget()->geometry(), QRect(36, 8, 697, 325));
}

void TestSprintScreen::closing_asks_to_terminate() {
  Tsprintr_commentator_form f(kColours);
  QSignalSpy spy(&f, &Tsprintr_commentator_form::terminate_requested);
  f.show();
  QVERIFY(f.close());
  QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestSprintScreen)
#include "tst_sprint_screen.moc"
