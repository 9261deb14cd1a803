#include "screens/ptsrace_commentator_form.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QtTest>

namespace {

const ScreenColours kColours{0x000000, 0xFFFFFF, 0x800080};

// Fills standings positions 0 to 58 with the ranks old0 to old58.
void fill_standings(Tptsrace_commentator_form &f) {
  for (int p = 0; p < 59; ++p)
    f.apply_packet("{ptsrace}+{standings}" + QByteArray::number(p) + "{rnk}old" + QByteArray::number(p));
}

const QByteArray kSprint3 =
    "{ptsrace}+{sprint}3{sname}Sprint 4{name1}12 A. RIDER{pts1}5{name2}7 B. RIDER{pts2}3"
    "{name3}3 C. RIDER{pts3}2{name4}9 D. RIDER{pts4}1{name5}1 E. RIDER{pts5}0{eop}";

QList<QByteArray> column(const TextGridModel &t, int col) {
  QList<QByteArray> out;
  for (int r = 1; r < t.row_count(); ++r)
    out << t.cell(col, r);
  return out;
}

} // namespace

class TestPtsraceScreen : public QObject {
  Q_OBJECT
private slots:
  void created_tables_and_chooser();
  void standings_position_data();
  void standings_position();
  void standings_line_cells_data();
  void standings_line_cells();
  void clear_empties_tables_and_store_and_stops();
  void result_for_another_sprint_keeps_choice();
  void result_for_chosen_sprint_shows_at_once();
  void sprint_index_data();
  void sprint_index();
  void standings_and_sprint_together();
  void name_column_follows_screen_width_data();
  void name_column_follows_screen_width();
  void closing_asks_to_terminate();
};

void TestPtsraceScreen::created_tables_and_chooser() {
  Tptsrace_commentator_form f(kColours);
  QCOMPARE(f.windowTitle(), QStringLiteral("ptsrace_commentator_form"));
  QCOMPARE(f.accessibleName(), f.windowTitle());
  const TextGridModel &s = f.standings();
  QCOMPARE(s.row_count(), 60);
  QCOMPARE(s.col_count(), 8);
  QCOMPARE(s.fixed_rows(), 1);
  QCOMPARE(s.fixed_cols(), 0);
  const int widths[] = {40, 120, 40, 40, 40, 0, 0, 40};
  const QByteArray heads[] = {"Rank", "Name", "Status", "Pts", "Laps", "", "", "Final"};
  for (int c = 0; c < 8; ++c) {
    QCOMPARE(s.col_width(c), widths[c]);
    QCOMPARE(s.cell(c, 0), heads[c]);
  }
  const TextGridModel &t = f.sprint_table();
  QCOMPARE(t.row_count(), 6);
  QCOMPARE(t.col_width(1), 180);
  QCOMPARE(t.cell(2, 0), QByteArray("Points"));
  QCOMPARE(f.chooser()->count(), 30);
  QCOMPARE(f.chooser()->itemText(0), QStringLiteral("1"));
  QCOMPARE(f.chooser()->itemText(29), QStringLiteral("30"));
  QCOMPARE(f.chooser()->currentIndex(), 0);
  QVERIFY(!f.chooser()->isEditable());
}

void TestPtsraceScreen::standings_position_data() {
  QTest::addColumn<QByteArray>("standings");
  QTest::addColumn<int>("row");       // row written with NEW, -1 for none
  QTest::addColumn<bool>("new_list"); // the other rows were emptied
  QTest::newRow("0") << QByteArray("{standings}0") << 1 << true;
  QTest::newRow("5") << QByteArray("{standings}5") << 6 << false;
  QTest::newRow("58, the last row") << QByteArray("{standings}58") << 59 << false;
  QTest::newRow("59") << QByteArray("{standings}59") << -1 << false;
  QTest::newRow("60") << QByteArray("{standings}60") << -1 << false;
  QTest::newRow("-1") << QByteArray("{standings}-1") << -1 << false;
  QTest::newRow("abc reads 0") << QByteArray("{standings}abc") << 1 << true;
  QTest::newRow("12abc reads 12") << QByteArray("{standings}12abc") << 13 << false;
  QTest::newRow("empty value") << QByteArray("{standings}") << -1 << false;
  QTest::newRow("absent") << QByteArray() << -1 << false;
}

void TestPtsraceScreen::standings_position() {
  QFETCH(QByteArray, standings);
  QFETCH(int, row);
  QFETCH(bool, new_list);
  Tptsrace_commentator_form f(kColours);
  fill_standings(f);
  QCOMPARE(f.apply_packet("{ptsrace}+" + standings + "{rnk}NEW{eop}"), ApplyResult::go_on);
  const TextGridModel &s = f.standings();
  for (int r = 1; r < 60; ++r) {
    QByteArray want = new_list ? QByteArray() : "old" + QByteArray::number(r - 1);
    if (r == row)
      want = "NEW";
    QCOMPARE(s.cell(0, r), want);
  }
  QCOMPARE(s.cell(0, 0), QByteArray("Rank"));
}

void TestPtsraceScreen::standings_line_cells_data() {
  QTest::addColumn<QByteArray>("packet");
  QTest::addColumn<QList<QByteArray>>("cells");
  QTest::newRow("every tag")
      << QByteArray("{ptsrace}+{standings}2{rnk}3{bib}12{name}A. RIDER{status}DNF{pts}21"
                    "{laps}1{vics}2{secs}4{final}22{eop}")
      << QList<QByteArray>{"3", "12 A. RIDER", "DNF", "21", "1", "2", "4", "22"};
  QTest::newRow("no bib, no name")
      << QByteArray("{ptsrace}+{standings}2{rnk}3{eop}")
      << QList<QByteArray>{"3", " ", "", "", "", "", "", ""};
  QTest::newRow("name only") << QByteArray("{ptsrace}+{standings}2{name}B")
                             << QList<QByteArray>{"", " B", "", "", "", "", "", ""};
}

void TestPtsraceScreen::standings_line_cells() {
  QFETCH(QByteArray, packet);
  QFETCH(QList<QByteArray>, cells);
  Tptsrace_commentator_form f(kColours);
  f.apply_packet("{ptsrace}+{standings}2{rnk}x{bib}x{name}x{status}x{pts}x{laps}x{vics}x{secs}x{final}x");
  f.apply_packet(packet);
  for (int c = 0; c < 8; ++c)
    QCOMPARE(f.standings().cell(c, 3), cells[c]);
}

void TestPtsraceScreen::clear_empties_tables_and_store_and_stops() {
  Tptsrace_commentator_form f(kColours);
  fill_standings(f);
  f.apply_packet(kSprint3);
  f.apply_packet("{ptsrace}+{sprint}0{sname}First{name1}N{pts1}9");
  QCOMPARE(f.apply_packet("{ptsrace}+{clr}+{standings}4{rnk}R{sprint}0{name1}M{eop}"), ApplyResult::stop);
  QCOMPARE(f.standings().stored_cells(), qsizetype(6)); // the six headings
  QCOMPARE(f.standings().cell(7, 0), QByteArray("Final"));
  QCOMPARE(f.sprint_table().stored_cells(), qsizetype(3));
  QCOMPARE(f.sprint_table().cell(1, 0), QByteArray("Name"));
  QCOMPARE(f.sprint_store().stored_cells(), qsizetype(0));
  QCOMPARE(f.chooser()->itemText(0), QStringLiteral("First"));
  QCOMPARE(f.chooser()->itemText(3), QStringLiteral("Sprint 4"));
  QCOMPARE(f.standings().col_width(1), 120);
}

void TestPtsraceScreen::result_for_another_sprint_keeps_choice() {
  Tptsrace_commentator_form f(kColours);
  f.show();
  QCOMPARE(f.apply_packet(kSprint3), ApplyResult::go_on);
  QCOMPARE(f.chooser()->currentIndex(), 0);
  QCOMPARE(f.chooser()->itemText(3), QStringLiteral("Sprint 4"));
  QCOMPARE(column(f.sprint_table(), 0), (QList<QByteArray>{"1", "2", "3", "4", "5"}));
  QCOMPARE(column(f.sprint_table(), 1), QList<QByteArray>(5));
  QCOMPARE(f.sprint_store().cell(0, 3), QByteArray("12 A. RIDER"));
  QCOMPARE(f.sprint_store().cell(9, 3), QByteArray("0"));
  // The announcer moves down to the fourth entry.
  for (int i = 0; i < 3; ++i)
    QTest::keyClick(f.chooser(), Qt::Key_Down);
  QCOMPARE(f.chooser()->currentIndex(), 3);
  QCOMPARE(column(f.sprint_table(), 0), (QList<QByteArray>{"1", "2", "3", "4", "5"}));
  QCOMPARE(column(f.sprint_table(), 1),
           (QList<QByteArray>{"12 A. RIDER", "7 B. RIDER", "3 C. RIDER", "9 D. RIDER", "1 E. RIDER"}));
  QCOMPARE(column(f.sprint_table(), 2), (QList<QByteArray>{"5", "3", "2", "1", "0"}));
  // A result for yet another sprint leaves the choice and the table alone.
  f.apply_packet("{ptsrace}+{sprint}7{name1}Z{pts1}1");
  QCOMPARE(f.chooser()->currentIndex(), 3);
  QCOMPARE(f.chooser()->itemText(7), QString());
  QCOMPARE(f.sprint_table().cell(1, 1), QByteArray("12 A. RIDER"));
}

void TestPtsraceScreen::result_for_chosen_sprint_shows_at_once() {
  Tptsrace_commentator_form f(kColours);
  f.apply_packet("{ptsrace}+{sprint}0{sname}Sprint 1{name1}12 A. RIDER{pts1}5{name3}3 C.{eop}");
  QCOMPARE(f.chooser()->itemText(0), QStringLiteral("Sprint 1"));
  QCOMPARE(f.chooser()->currentText(), QStringLiteral("Sprint 1"));
  QCOMPARE(column(f.sprint_table(), 1), (QList<QByteArray>{"12 A. RIDER", "", "3 C.", "", ""}));
  QCOMPARE(column(f.sprint_table(), 2), (QList<QByteArray>{"5", "", "", "", ""}));
  // A later result for the same sprint replaces all five places.
  f.apply_packet("{ptsrace}+{sprint}0{sname}Sprint 1{name2}7 B.");
  QCOMPARE(column(f.sprint_table(), 1), (QList<QByteArray>{"", "7 B.", "", "", ""}));
}

void TestPtsraceScreen::sprint_index_data() {
  QTest::addColumn<QByteArray>("sprint");
  QTest::addColumn<int>("stored");    // store row written, -1 for none
  QTest::addColumn<bool>("refreshed"); // the sprint table was rewritten
  QTest::newRow("0") << QByteArray("{sprint}0") << 0 << true;
  QTest::newRow("29") << QByteArray("{sprint}29") << 29 << true;
  QTest::newRow("30") << QByteArray("{sprint}30") << -1 << true;
  QTest::newRow("-1") << QByteArray("{sprint}-1") << -1 << true;
  QTest::newRow("abc reads 0") << QByteArray("{sprint}abc") << 0 << true;
  QTest::newRow("empty value") << QByteArray("{sprint}") << -1 << false;
}

void TestPtsraceScreen::sprint_index() {
  QFETCH(QByteArray, sprint);
  QFETCH(int, stored);
  QFETCH(bool, refreshed);
  Tptsrace_commentator_form f(kColours);
  // After a clear the sprint table holds only its headings.
  f.apply_packet("{ptsrace}+{clr}+");
  f.apply_packet("{ptsrace}+" + sprint + "{sname}S{name1}N1");
  for (int s = 0; s < 30; ++s) {
    QCOMPARE(f.sprint_store().cell(0, s), s == stored ? QByteArray("N1") : QByteArray());
    QCOMPARE(f.chooser()->itemText(s), s == stored ? QStringLiteral("S") : QString::number(s + 1));
  }
  QCOMPARE(f.sprint_table().cell(0, 1), refreshed ? QByteArray("1") : QByteArray());
  QCOMPARE(f.sprint_table().cell(0, 5), refreshed ? QByteArray("5") : QByteArray());
  QCOMPARE(f.chooser()->currentIndex(), 0);
}

void TestPtsraceScreen::standings_and_sprint_together() {
  Tptsrace_commentator_form f(kColours);
  f.apply_packet("{ptsrace}+{standings}1{rnk}2{bib}5{name}X{sprint}0{sname}S1{name1}5 X{pts1}3");
  QCOMPARE(f.standings().cell(1, 2), QByteArray("5 X"));
  QCOMPARE(f.sprint_table().cell(1, 1), QByteArray("5 X"));
  QCOMPARE(f.chooser()->itemText(0), QStringLiteral("S1"));
}

void TestPtsraceScreen::name_column_follows_screen_width_data() {
  QTest::addColumn<int>("width");
  QTest::addColumn<int>("name_width");
  QTest::newRow("800") << 800 << 120;
  QTest::newRow("801") << 801 << 240;
  QTest::newRow("1920") << 1920 << 240;
}

void TestPtsraceScreen::name_column_follows_screen_width() {
  QFETCH(int, width);
  QFETCH(int, name_width);
  const ScreenColours colours{0x102030, 0xFFFFFF, 0x800080};
  Tptsrace_commentator_form f(colours);
  const QRect screen(0, 0, width, 700);
  f.set_screen_geometry_source([screen] { return screen; });
  f.show();
  QCOMPARE(f.frameGeometry(), screen);
  QCOMPARE(f.standings().col_width(1), name_width);
  QCOMPARE(f.standings().cell_colour(), QColor(0x30, 0x20, 0x10));
  QCOMPARE(f.sprint_table().fixed_colour(), QColor(0x80, 0x00, 0x80));
  // The sprints box keeps to the right edge, the standings box grows.
  QCOMPARE(f.sprint_view()->parentWidget()->geometry().right(), f.width() - 8);
  QCOMPARE(f.standings_view()->parentWidget()->width(), 445 + f.width() - 792);
}

void TestPtsraceScreen::closing_asks_to_terminate() {
  Tptsrace_commentator_form f(kColours);
  QSignalSpy spy(&f, &Tptsrace_commentator_form::terminate_requested);
  f.show();
  QVERIFY(f.close());
  QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestPtsraceScreen)
#include "tst_ptsrace_screen.moc"
