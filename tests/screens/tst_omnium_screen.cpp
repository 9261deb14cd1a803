#include "screens/omnium_commentator_form.h"
#include "screens/screen_support.h"

#include <QHeaderView>
#include <QtTest>

#include <limits>

namespace {

const ScreenColours kColours{0x000000, 0xFFFFFF, 0x800080};

void check_defaults(const TextGridModel &g) {
  QCOMPARE(g.row_count(), 26);
  QCOMPARE(g.col_count(), 99);
  QCOMPARE(g.fixed_rows(), 1);
  QCOMPARE(g.fixed_cols(), 0);
  QCOMPARE(g.col_width(0), 50);
  QCOMPARE(g.col_width(1), 50);
  QCOMPARE(g.col_width(2), 300);
  QCOMPARE(g.col_width(3), 40);
  for (int c = 4; c < 99; ++c)
    QCOMPARE(g.col_width(c), 60);
  for (int r = 0; r < 26; ++r)
    QCOMPARE(g.row_height(r), 24);
}

bool row_empty(const TextGridModel &g, int row) {
  for (int c = 0; c < g.col_count(); ++c)
    if (!g.cell(c, row).isEmpty())
      return false;
  return true;
}

} // namespace

class TestOmniumScreen : public QObject {
  Q_OBJECT
private slots:
  void created_with_defaults();
  void example_sequence();
  void clear_restores_defaults_and_stops();
  void heading_line_hides_empty_columns();
  void hidden_column_stays_hidden();
  void shape_without_line_fails_but_keeps_shape();
  void bad_count_after_good_one_keeps_good_one();
  void one_row_table_has_no_fixed_row();
  void line_value_data();
  void line_value();
  void numbered_tag_text_data();
  void numbered_tag_text();
  void line_equal_to_row_count_only_reshapes();
  void shrink_and_grow_keeps_cells();
  void long_cell_cut_to_255();
  void huge_counts_capped();
  void shown_fills_given_screen();
  void closing_only_hides();
};

void TestOmniumScreen::created_with_defaults() {
  Tomnium_commentator_form f(kColours);
  check_defaults(f.results());
  QCOMPARE(f.results().cell_colour(), QColor(Qt::white));
  QCOMPARE(f.results().text_colour(), QColor(Qt::black));
  QCOMPARE(f.results().fixed_colour(), QColor(0xE0, 0xE0, 0xFE));
  QCOMPARE(f.accessibleName(), f.windowTitle());
  QCOMPARE(f.windowTitle(), QStringLiteral("Vorevadovid Screen, Omnium"));
}

void TestOmniumScreen::example_sequence() {
  Tomnium_commentator_form f(kColours);
  QCOMPARE(f.apply_packet("{omnium}+{clr}+{eop}"), ApplyResult::stop);
  QCOMPARE(f.apply_packet("{omnium}+{lines}4{cols}4{line}0{0}Rank{1}Bib{2}Name{3}Points{eop}"),
           ApplyResult::go_on);
  QCOMPARE(f.apply_packet("{omnium}+{line}1{0}1{1}27{2}A. RIDER{3}42{eop}"), ApplyResult::go_on);
  const TextGridModel &g = f.results();
  QCOMPARE(g.row_count(), 4);
  QCOMPARE(g.col_count(), 4);
  QCOMPARE(g.col_width(0), 50);
  QCOMPARE(g.col_width(1), 50);
  QCOMPARE(g.col_width(2), 300);
  QCOMPARE(g.col_width(3), 40);
  const QByteArray heads[] = {"Rank", "Bib", "Name", "Points"};
  const QByteArray first[] = {"1", "27", "A. RIDER", "42"};
  for (int c = 0; c < 4; ++c) {
    QCOMPARE(g.cell(c, 0), heads[c]);
    QCOMPARE(g.cell(c, 1), first[c]);
  }
  QVERIFY(row_empty(g, 2));
  QVERIFY(row_empty(g, 3));
  // The view shows the 8-bit cell text.
  QCOMPARE(g.data(g.index(1, 2), Qt::DisplayRole).toString(), QStringLiteral("A. RIDER"));
}

void TestOmniumScreen::clear_restores_defaults_and_stops() {
  Tomnium_commentator_form f(kColours);
  f.apply_packet("{omnium}+{lines}40{cols}3{line}0{0}A{1}{2}C");
  f.apply_packet("{omnium}+{line}12{0}x{1}y{2}z");
  // A clear reads nothing else of its Packet.
  QCOMPARE(f.apply_packet("{omnium}+{clr}+{lines}5{line}1{0}q"), ApplyResult::stop);
  check_defaults(f.results());
  for (int r = 0; r < 26; ++r)
    QVERIFY(row_empty(f.results(), r));
}

void TestOmniumScreen::heading_line_hides_empty_columns() {
  Tomnium_commentator_form f(kColours);
  QCOMPARE(f.apply_packet("{omnium}+{line}0{0}Rank"), ApplyResult::go_on);
  const TextGridModel &g = f.results();
  QCOMPARE(g.col_width(0), 50);
  for (int c = 1; c < 99; ++c)
    QCOMPARE(g.col_width(c), 1);
  QCOMPARE(g.cell(0, 0), QByteArray("Rank"));
  // {1} must not be read out of {12}, nor {0} out of {10}.
  f.reset_grid();
  f.apply_packet("{omnium}+{line}0{12}Twelve{10}Ten");
  QCOMPARE(g.cell(0, 0), QByteArray());
  QCOMPARE(g.cell(1, 0), QByteArray());
  QCOMPARE(g.cell(12, 0), QByteArray("Twelve"));
  QCOMPARE(g.cell(10, 0), QByteArray("Ten"));
  QCOMPARE(g.col_width(12), 60);
  QCOMPARE(g.col_width(1), 1);
}

void TestOmniumScreen::hidden_column_stays_hidden() {
  Tomnium_commentator_form f(kColours);
  f.apply_packet("{omnium}+{cols}3{line}0{0}Rank{2}Name");
  QCOMPARE(f.results().col_width(1), 1);
  f.apply_packet("{omnium}+{line}0{0}Rank{1}Bib{2}Name");
  QCOMPARE(f.results().col_width(1), 1);
  QCOMPARE(f.results().cell(1, 0), QByteArray("Bib"));
  // A data line never hides a column.
  f.apply_packet("{omnium}+{line}3{0}1");
  QCOMPARE(f.results().col_width(2), 300);
}

void TestOmniumScreen::shape_without_line_fails_but_keeps_shape() {
  Tomnium_commentator_form f(kColours);
  QCOMPARE(f.apply_packet("{omnium}+{lines}10"), ApplyResult::failed);
  QCOMPARE(f.results().row_count(), 10);
  QCOMPARE(f.results().col_count(), 99);
}

void TestOmniumScreen::bad_count_after_good_one_keeps_good_one() {
  Tomnium_commentator_form f(kColours);
  QCOMPARE(f.apply_packet("{omnium}+{lines}7{cols}x{line}0{0}A"), ApplyResult::failed);
  QCOMPARE(f.results().row_count(), 7);
  QCOMPARE(f.results().col_count(), 99);
  QCOMPARE(f.results().cell(0, 0), QByteArray());
  QCOMPARE(f.apply_packet("{omnium}+{lines}7 {cols}5{line}0{0}A"), ApplyResult::failed);
  QCOMPARE(f.results().col_count(), 99);
}

void TestOmniumScreen::one_row_table_has_no_fixed_row() {
  Tomnium_commentator_form f(kColours);
  QCOMPARE(f.apply_packet("{omnium}+{lines}1{line}0{0}X"), ApplyResult::go_on);
  QCOMPARE(f.results().row_count(), 1);
  QCOMPARE(f.results().fixed_rows(), 0);
  QCOMPARE(f.results().cell(0, 0), QByteArray("X"));
  QVERIFY(!f.results().is_fixed(0, 0));
  QCOMPARE(f.apply_packet("{omnium}+{lines}0{cols}-3{line}0{0}Y"), ApplyResult::go_on);
  QCOMPARE(f.results().row_count(), 1);
  QCOMPARE(f.results().col_count(), 1);
  QCOMPARE(f.results().cell(0, 0), QByteArray("Y"));
}

void TestOmniumScreen::numbered_tag_text_data() {
  QTest::addColumn<QByteArray>("prefix");
  QTest::addColumn<int>("n");
  QTest::addColumn<QByteArray>("tag");
  QTest::newRow("column 0") << QByteArray("{") << 0 << QByteArray("{0}");
  QTest::newRow("column 7") << QByteArray("{") << 7 << QByteArray("{7}");
  QTest::newRow("column 998") << QByteArray("{") << 998 << QByteArray("{998}");
  QTest::newRow("list line 10") << QByteArray("{ltg") << 10 << QByteArray("{ltg10}");
  QTest::newRow("negative") << QByteArray("{n") << -5 << QByteArray("{n-5}");
  QTest::newRow("largest int") << QByteArray("{") << std::numeric_limits<int>::max()
                               << QByteArray("{2147483647}");
  QTest::newRow("lowest int") << QByteArray("{") << std::numeric_limits<int>::min()
                              << QByteArray("{-2147483648}");
  QTest::newRow("long prefix cut") << QByteArray(60, 'p') << 12
                                   << QByteArray(35, 'p') + QByteArray("12}");
}

void TestOmniumScreen::numbered_tag_text() {
  QFETCH(QByteArray, prefix);
  QFETCH(int, n);
  QFETCH(QByteArray, tag);
  QCOMPARE(QByteArrayView(numbered_tag(prefix, n)).toByteArray(), tag);
}

void TestOmniumScreen::line_value_data() {
  QTest::addColumn<QByteArray>("line");
  QTest::addColumn<int>("result");
  QTest::addColumn<int>("row"); // -1: no row written
  const int go_on = int(ApplyResult::go_on);
  const int failed = int(ApplyResult::failed);
  QTest::newRow("2") << QByteArray("{line}2") << go_on << 2;
  QTest::newRow("blank then 2") << QByteArray("{line} 2") << go_on << 2;
  QTest::newRow("2 then blank") << QByteArray("{line}2 ") << failed << -1;
  QTest::newRow("empty") << QByteArray("{line}") << failed << -1;
  QTest::newRow("absent") << QByteArray() << failed << -1;
  QTest::newRow("decimal point") << QByteArray("{line}1.5") << failed << -1;
  QTest::newRow("x") << QByteArray("{line}x") << failed << -1;
  QTest::newRow("hexadecimal") << QByteArray("{line}$A") << go_on << 10;
  QTest::newRow("25, the last row") << QByteArray("{line}25") << go_on << 25;
  QTest::newRow("26, the row count") << QByteArray("{line}26") << go_on << -1;
  QTest::newRow("-1") << QByteArray("{line}-1") << go_on << -1;
  QTest::newRow("overflow") << QByteArray("{line}99999999999") << failed << -1;
}

void TestOmniumScreen::line_value() {
  QFETCH(QByteArray, line);
  QFETCH(int, result);
  QFETCH(int, row);
  Tomnium_commentator_form f(kColours);
  QCOMPARE(int(f.apply_packet("{omnium}+" + line + "{0}V{1}W")), result);
  const TextGridModel &g = f.results();
  for (int r = 0; r < g.row_count(); ++r) {
    QCOMPARE(g.cell(0, r), r == row ? QByteArray("V") : QByteArray());
    QCOMPARE(g.cell(1, r), r == row ? QByteArray("W") : QByteArray());
  }
}

void TestOmniumScreen::line_equal_to_row_count_only_reshapes() {
  Tomnium_commentator_form f(kColours);
  QCOMPARE(f.apply_packet("{omnium}+{lines}8{cols}5{line}8{0}V"), ApplyResult::go_on);
  QCOMPARE(f.results().row_count(), 8);
  QCOMPARE(f.results().col_count(), 5);
  QCOMPARE(f.results().stored_cells(), 0);
}

void TestOmniumScreen::shrink_and_grow_keeps_cells() {
  Tomnium_commentator_form f(kColours);
  for (int r = 1; r < 26; ++r)
    f.apply_packet("{omnium}+{line}" + QByteArray::number(r) + "{0}R" + QByteArray::number(r));
  QCOMPARE(f.apply_packet("{omnium}+{lines}5{line}30"), ApplyResult::go_on);
  QCOMPARE(f.results().row_count(), 5);
  QCOMPARE(f.apply_packet("{omnium}+{lines}26{line}30"), ApplyResult::go_on);
  QCOMPARE(f.results().row_count(), 26);
  for (int r = 1; r < 26; ++r)
    QCOMPARE(f.results().cell(0, r), "R" + QByteArray::number(r));
  // clear_grid empties only what is inside the table.
  f.apply_packet("{omnium}+{lines}5{line}30");
  clear_grid(f.results());
  f.apply_packet("{omnium}+{lines}26{line}30");
  QCOMPARE(f.results().cell(0, 4), QByteArray());
  QCOMPARE(f.results().cell(0, 5), QByteArray("R5"));
}

void TestOmniumScreen::long_cell_cut_to_255() {
  Tomnium_commentator_form f(kColours);
  const QByteArray long_value(400, 'n');
  f.apply_packet("{omnium}+{line}3{0}" + long_value + "{1}b");
  QCOMPARE(f.results().cell(0, 3), long_value.first(255));
  QCOMPARE(f.results().cell(1, 3), QByteArray("b"));
}

void TestOmniumScreen::huge_counts_capped() {
  Tomnium_commentator_form f(kColours);
  f.set_screen_geometry_source([] { return QRect(0, 0, 1024, 768); });
  f.show();
  // How fast: bench/hostile.
  QCOMPARE(f.apply_packet("{omnium}+{lines}2000000000{cols}2000000000{line}0"), ApplyResult::go_on);
  QCoreApplication::processEvents();
  QCOMPARE(f.results().row_count(), 999);
  QCOMPARE(f.results().col_count(), 999);
  QCOMPARE(f.results().col_width(998), 1);
  QCOMPARE(f.results().stored_cells(), 0);
  QCOMPARE(f.apply_packet("{omnium}+{line}998{998}last"), ApplyResult::go_on);
  QCOMPARE(f.results().cell(998, 998), QByteArray("last"));
  QCOMPARE(f.results().stored_cells(), 1);
  QCOMPARE(f.results_view()->horizontalHeader()->sectionSize(500), 1);
  QCOMPARE(f.apply_packet("{omnium}+{clr}+"), ApplyResult::stop);
  check_defaults(f.results());
  // The view follows the restored widths and heights.
  const QHeaderView *h = f.results_view()->horizontalHeader();
  QCOMPARE(h->count(), 99);
  QCOMPARE(h->sectionSize(2), 300);
  QCOMPARE(h->sectionSize(50), 60);
  QCOMPARE(f.results_view()->verticalHeader()->sectionSize(25), 24);
}

void TestOmniumScreen::shown_fills_given_screen() {
  Tomnium_commentator_form f(kColours);
  const QRect screen(100, 50, 1280, 720);
  f.set_screen_geometry_source([screen] { return screen; });
  f.show();
  QCOMPARE(f.frameGeometry(), screen);
  QCOMPARE(f.accessibleName(), f.windowTitle());
  // The table's box follows all four edges.
  QCOMPARE(f.results_view()->parentWidget()->geometry(), QRect(8, 8, 773 + f.width() - 792, 453 + f.height() - 573));
}

void TestOmniumScreen::closing_only_hides() {
  Tomnium_commentator_form f(kColours);
  f.show();
  f.apply_packet("{omnium}+{line}1{0}kept");
  QVERIFY(f.close());
  QVERIFY(f.isHidden());
  QCOMPARE(f.results().cell(0, 1), QByteArray("kept"));
}

QTEST_MAIN(TestOmniumScreen)
#include "tst_omnium_screen.moc"
