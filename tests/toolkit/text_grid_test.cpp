#include "toolkit/text_grid.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QTest>

class TextGridTest : public QObject {
  Q_OBJECT
private slots:
  void counts_never_below_one_data();
  void counts_never_below_one();
  void fixed_rows_shrink_with_row_count_data();
  void fixed_rows_shrink_with_row_count();
  void cells_outside_survive_shrink_and_grow();
  void clear_cells_keeps_cells_outside();
  void default_width_resets_every_column();
  void new_columns_get_default_width();
  void huge_counts_are_capped_and_cheap();
  void fixed_cells_use_fixed_colour();
  void eight_bit_text_is_shown_as_windows_1252();
  void view_follows_model_geometry();
  void widths_survive_colours_font_and_showing();
  void model_is_consistent();
  void long_text_is_cut_at_the_cell_edge();
  void changed_cell_is_drawn_anew();
};

void TextGridTest::counts_never_below_one_data() {
  QTest::addColumn<int>("asked");
  QTest::addColumn<int>("count");
  QTest::newRow("0") << 0 << 1;
  QTest::newRow("-5") << -5 << 1;
  QTest::newRow("1") << 1 << 1;
  QTest::newRow("26") << 26 << 26;
  QTest::newRow("999") << 999 << 999;
  QTest::newRow("1000 capped") << 1000 << 999;
}

void TextGridTest::counts_never_below_one() {
  QFETCH(int, asked);
  QFETCH(int, count);
  TextGridModel m;
  m.set_row_count(asked);
  m.set_col_count(asked);
  QCOMPARE(m.row_count(), count);
  QCOMPARE(m.col_count(), count);
  QCOMPARE(m.rowCount(), count);
  QCOMPARE(m.columnCount(), count);
}

void TextGridTest::fixed_rows_shrink_with_row_count_data() {
  QTest::addColumn<int>("fixed");
  QTest::addColumn<int>("rows");
  QTest::addColumn<int>("fixed_after");
  QTest::newRow("one row leaves no fixed row") << 1 << 1 << 0;
  QTest::newRow("two rows keep one fixed") << 1 << 2 << 1;
  QTest::newRow("equal count") << 3 << 3 << 2;
  QTest::newRow("below") << 3 << 2 << 1;
}

void TextGridTest::fixed_rows_shrink_with_row_count() {
  QFETCH(int, fixed);
  QFETCH(int, rows);
  QFETCH(int, fixed_after);
  TextGridModel m;
  m.set_row_count(10);
  m.set_fixed_rows(fixed);
  m.set_row_count(rows);
  QCOMPARE(m.fixed_rows(), fixed_after);
  // Growing again does not bring the fixed rows back.
  m.set_row_count(10);
  QCOMPARE(m.fixed_rows(), fixed_after);
}

void TextGridTest::cells_outside_survive_shrink_and_grow() {
  TextGridModel m;
  m.set_row_count(26);
  m.set_col_count(10);
  m.set_cell(3, 20, "old");
  m.set_row_count(5);
  QCOMPARE(m.rowCount(), 5);
  QCOMPARE(m.cell(3, 20), QByteArray("old")); // held, not shown
  m.set_row_count(26);
  QCOMPARE(m.data(m.index(20, 3), Qt::DisplayRole).toString(), QStringLiteral("old"));
}

void TextGridTest::clear_cells_keeps_cells_outside() {
  TextGridModel m;
  m.set_row_count(10);
  m.set_col_count(10);
  m.set_cell(1, 1, "in");
  m.set_cell(8, 8, "out");
  m.set_row_count(5);
  m.clear_cells();
  QCOMPARE(m.cell(1, 1), QByteArray());
  QCOMPARE(m.cell(8, 8), QByteArray("out"));
}

void TextGridTest::default_width_resets_every_column() {
  TextGridModel m;
  m.set_col_count(5);
  m.set_col_width(2, 300);
  m.set_default_col_width(60);
  for (int c = 0; c < 5; ++c)
    QCOMPARE(m.col_width(c), 60);
  m.set_row_height(1, 50);
  m.set_default_row_height(24);
  QCOMPARE(m.row_height(1), 24);
}

void TextGridTest::new_columns_get_default_width() {
  TextGridModel m;
  m.set_default_col_width(60);
  m.set_col_count(4);
  m.set_col_width(3, 1);
  m.set_col_count(2);
  m.set_col_count(6);
  QCOMPARE(m.col_width(3), 60); // fell outside and came back as a new column
  QCOMPARE(m.col_width(5), 60);
}

void TextGridTest::huge_counts_are_capped_and_cheap() {
  TextGridModel m;
  QElapsedTimer t;
  t.start();
  m.set_row_count(2000000000);
  m.set_col_count(2000000000);
  for (int c = 0; c < m.col_count(); ++c)
    m.set_cell(c, 0, {});
  m.clear_cells();
  QCOMPARE(m.row_count(), TextGridModel::kMaxCount);
  QCOMPARE(m.col_count(), TextGridModel::kMaxCount);
  QCOMPARE(m.stored_cells(), 0);
  qInfo("capped and cleared in %lld ms", t.elapsed());
}

void TextGridTest::fixed_cells_use_fixed_colour() {
  TextGridModel m;
  m.set_row_count(3);
  m.set_col_count(3);
  m.set_fixed_rows(1);
  m.set_fixed_cols(0);
  m.set_colours(Qt::black, Qt::white, QColor(0x80, 0x00, 0x80));
  QCOMPARE(m.data(m.index(0, 1), Qt::BackgroundRole).value<QColor>(), QColor(0x80, 0x00, 0x80));
  QCOMPARE(m.data(m.index(1, 1), Qt::BackgroundRole).value<QColor>(), QColor(Qt::black));
  QCOMPARE(m.data(m.index(1, 1), Qt::ForegroundRole).value<QColor>(), QColor(Qt::white));
  ScreenColours c{0x000000, 0xFFFFFF, 0x800080};
  m.set_screen_colours(c);
  QCOMPARE(m.fixed_colour(), QColor(0x80, 0x00, 0x80));
}

void TextGridTest::eight_bit_text_is_shown_as_windows_1252() {
  TextGridModel m;
  m.set_cell(0, 0, "\x80 \xE9");
  QCOMPARE(m.data(m.index(0, 0), Qt::DisplayRole).toString(), QString::fromUtf8("€ é"));
  QCOMPARE(m.data(m.index(0, 0), Qt::AccessibleTextRole).toString(), QString::fromUtf8("€ é"));
}

void TextGridTest::view_follows_model_geometry() {
  TextGrid g;
  g.grid().set_col_count(4);
  g.grid().set_default_col_width(60);
  g.grid().set_col_width(2, 300);
  g.grid().set_col_width(3, 1);
  g.grid().set_default_row_height(24);
  QCOMPARE(g.horizontalHeader()->sectionSize(2), 300);
  QCOMPARE(g.horizontalHeader()->sectionSize(3), 1);
  QCOMPARE(g.verticalHeader()->sectionSize(0), 24);
  g.grid().set_col_count(8);
  QCOMPARE(g.horizontalHeader()->sectionSize(7), 60);
}

void TextGridTest::widths_survive_colours_font_and_showing() {
  // The way a screen sets up its table: counts, widths, then colours and a
  // font, then the window is shown.
  TextGrid g;
  g.grid().set_col_count(6);
  g.grid().set_row_count(51);
  const int widths[] = {60, 60, 360, 60, 60, 60};
  for (int c = 0; c < 6; ++c)
    g.grid().set_col_width(c, widths[c]);
  g.grid().set_screen_colours({0x000000, 0xFFFFFF, 0x800080});
  QFont f(QStringLiteral("Sans Serif"));
  f.setPixelSize(16);
  f.setBold(true);
  g.grid().set_font(f);
  g.resize(790, 493);
  g.show();
  QVERIFY(QTest::qWaitForWindowExposed(&g));
  for (int c = 0; c < 6; ++c)
    QCOMPARE(g.columnWidth(c), widths[c]);
  QCOMPARE(g.rowHeight(50), 24);
}

void TextGridTest::model_is_consistent() {
  TextGridModel m;
  QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
  m.set_row_count(30);
  m.set_col_count(12);
  m.set_cell(2, 2, "x");
  m.set_row_count(1);
  m.set_col_count(1);
  m.set_row_count(40);
  m.clear_cells();
}

namespace {

// True when any pixel of the rectangle is lighter than the black cells.
bool any_text(const QImage &image, QRect r) {
  for (int x = r.left(); x <= r.right(); ++x)
    for (int y = r.top(); y <= r.bottom(); ++y)
      if (qGray(image.pixel(x, y)) > 64)
        return true;
  return false;
}

struct DrawnGrid {
  TextGrid grid;
  DrawnGrid() {
    TextGridModel &m = grid.grid();
    m.set_fixed_rows(0);
    m.set_fixed_cols(0);
    m.set_col_count(2);
    m.set_row_count(1);
    m.set_col_width(0, 40);
    m.set_col_width(1, 100);
    m.set_colours(Qt::black, Qt::white, Qt::black);
    grid.set_grid_lines(false);
    grid.set_scroll_bars(Qt::ScrollBarAlwaysOff, Qt::ScrollBarAlwaysOff);
    grid.resize(160, 40);
    grid.show();
  }
  QImage picture() { return grid.viewport()->grab().toImage(); }
};

} // namespace

void TextGridTest::long_text_is_cut_at_the_cell_edge() {
  // A text wider than its cell is cut at the cell's edge, as the screens'
  // tables always were: nothing spills into the next cell, and no ellipsis
  // takes the place of its last characters.
  DrawnGrid g;
  g.grid.grid().set_cell(0, 0, "WWWWWWWWWWWWWWWW");
  const QImage image = g.picture();
  QVERIFY(any_text(image, QRect(30, 0, 8, 20)));  // runs to the cell's edge
  QVERIFY(!any_text(image, QRect(41, 0, 60, 20))); // and no further
}

void TextGridTest::changed_cell_is_drawn_anew() {
  // Laid-out texts are kept; a cell that changes must still show its new text.
  DrawnGrid g;
  TextGridModel &m = g.grid.grid();
  m.set_cell(1, 0, "W");
  const QImage one = g.picture();
  m.set_cell(1, 0, "WWWWWWWW");
  const QImage many = g.picture();
  QVERIFY(!any_text(one, QRect(60, 0, 40, 20)));
  QVERIFY(any_text(many, QRect(60, 0, 40, 20)));
  m.set_cell(1, 0, "W");
  QCOMPARE(g.picture(), one);
}

QTEST_MAIN(TextGridTest)
#include "text_grid_test.moc"
