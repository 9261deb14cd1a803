#include "toolkit/kept_frame.h"
#include "toolkit/kept_item_delegate.h"
#include "toolkit/kept_pictures.h"
#include "toolkit/text_cell_delegate.h"
#include "toolkit/text_grid.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
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
  void a_heading_too_wide_is_narrowed_data();
  void a_heading_too_wide_is_narrowed();
  void changed_cell_is_drawn_anew();
  void changed_cell_shows_where_it_lies_data();
  void changed_cell_shows_where_it_lies();
  void selected_cells_show_highlighted();
  void fixed_rows_and_columns_stay_in_view();
  void grid_lines_show_on_cells_and_headings();
  void dragging_a_heading_border_sizes_a_column();
  void later_packet_width_replaces_dragged_width_data();
  void later_packet_width_replaces_dragged_width();
  void clearing_repaints_what_held_text_data();
  void clearing_repaints_what_held_text();
  void activation_repaints_only_what_it_changes_data();
  void activation_repaints_only_what_it_changes();
  void cell_pictures_paint_as_cells_do_data();
  void cell_pictures_paint_as_cells_do();
  void cell_pictures_stay_within_their_room();
  void item_pictures_paint_as_items_do_data();
  void item_pictures_paint_as_items_do();
  void frame_pictures_paint_as_the_frame_does_data();
  void frame_pictures_paint_as_the_frame_does();
  void a_picture_kept_again_counts_once();
  void a_picture_is_made_across_an_activation();
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
  QCOMPARE(g.shown_row_height(0), 24); // the fixed heading row
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
    QCOMPARE(g.shown_col_width(c), widths[c]);
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
  // The cut stays with its cell: the cell painted after it shows whole.
  DrawnGrid g;
  g.grid.grid().set_cell(0, 0, "WWWWWWWWWWWWWWWW");
  const QImage image = g.picture();
  QVERIFY(any_text(image, QRect(30, 0, 8, 20)));  // runs to the cell's edge
  QVERIFY(!any_text(image, QRect(41, 0, 60, 20))); // and no further
  g.grid.grid().set_cell(1, 0, "W");
  g.grid.grid().set_cell(0, 0, "WWWWWWWWWWWWWWWX");
  QVERIFY(any_text(g.picture(), QRect(41, 0, 30, 20)));
}

// Separate runs of text pixels along one line of a picture.
static int ink_runs(const QImage &image, int y, int width) {
  int runs = 0;
  for (int x = 0; x < width; ++x)
    runs += qGray(image.pixel(x, y)) > 128 && (x == 0 || qGray(image.pixel(x - 1, y)) <= 128);
  return runs;
}

void TextGridTest::a_heading_too_wide_is_narrowed_data() {
  // The cell's room for text as a share of the text's natural width.
  QTest::addColumn<double>("room");
  QTest::newRow("fits") << 1.2;
  QTest::newRow("a fifth too wide") << 0.8;
}

void TextGridTest::a_heading_too_wide_is_narrowed() {
  // A heading too wide for its column shows every letter, narrower; a plain
  // cell is still cut at its edge. Eight bars count the letters shown.
  QFETCH(double, room);
  DrawnGrid g;
  TextGridModel &m = g.grid.grid();
  QFont font = m.font();
  font.setPixelSize(24);
  m.set_font(font);
  m.set_row_count(2); // a grid keeps a row below its fixed ones
  m.set_default_row_height(32);
  const int width = int(room * QFontMetricsF(font).horizontalAdvance(QStringLiteral("IIIIIIII"))) + 4;
  m.set_col_width(0, width);
  m.set_cell(0, 0, "IIIIIIII");
  // The whole grid: a heading row is a part of its own over the table.
  const QRect cells(g.grid.frameWidth(), g.grid.frameWidth(), width + 40, 32);
  const QImage plain = g.grid.grab(cells).toImage();
  m.set_fixed_rows(1);
  const QImage heading = g.grid.grab(cells).toImage();
  QCOMPARE(ink_runs(heading, 16, width), 8);
  QVERIFY(!any_text(heading, QRect(width, 0, 40, 32))); // nothing spills over
  if (room >= 1)
    QCOMPARE(heading, plain);
  else
    QCOMPARE_LT(ink_runs(plain, 16, width), 8);
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

namespace {

// A grid in the screens' colours: black cells, white text, purple headings.
struct StandingsGrid {
  TextGrid grid;
  StandingsGrid(int fixed_cols, QSize size) {
    TextGridModel &m = grid.grid();
    m.set_col_count(8);
    m.set_row_count(60);
    m.set_fixed_rows(1);
    m.set_fixed_cols(fixed_cols);
    m.set_default_col_width(40);
    m.set_col_width(1, 120);
    m.set_col_width(5, 0);
    m.set_col_width(6, 0);
    m.set_screen_colours({0x000000, 0xFFFFFF, 0x800080});
    for (int c = 0; c < 8; ++c)
      m.set_cell(c, 0, "H" + QByteArray::number(c));
    for (int r = 1; r < 60; ++r)
      m.set_cell(0, r, QByteArray::number(r));
    grid.resize(size);
    grid.show();
  }
  // A point in the middle of the heading row, x pixels from the grid's left.
  QPoint in_heading_row(int x) const {
    return {x, grid.frameWidth() + grid.grid().row_height(0) / 2};
  }
  void drag(QPoint from, QPoint to) {
    // Presses and moves land on whatever part of the grid lies there.
    QWidget *target = grid.childAt(from);
    QVERIFY(target);
    QTest::mousePress(target, Qt::LeftButton, {}, target->mapFrom(&grid, from));
    QMouseEvent move(QEvent::MouseMove, target->mapFrom(&grid, to), target->mapToGlobal(target->mapFrom(&grid, to)),
                     Qt::NoButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &move);
    QTest::mouseRelease(target, Qt::LeftButton, {}, target->mapFrom(&grid, to));
  }
};

bool near_colour(QRgb pixel, QColor want) {
  const QColor got(pixel);
  return qAbs(got.red() - want.red()) < 16 && qAbs(got.green() - want.green()) < 16 &&
         qAbs(got.blue() - want.blue()) < 16;
}

} // namespace

void TextGridTest::changed_cell_shows_where_it_lies_data() {
  QTest::addColumn<int>("col");
  QTest::addColumn<int>("row");
  QTest::addColumn<bool>("scrolled");
  QTest::addColumn<bool>("in_view");
  QTest::addColumn<bool>("reshaped"); // the counts changed just before
  QTest::addColumn<int>("then_scrolled"); // rows scrolled, then the cell changed again
  QTest::addColumn<bool>("late_heading_column"); // fixed column set after showing and scrolling
  QTest::newRow("corner") << 0 << 0 << false << true << false << 0 << false;
  QTest::newRow("heading row") << 2 << 0 << false << true << false << 0 << false;
  QTest::newRow("heading column") << 0 << 3 << false << true << false << 0 << false;
  QTest::newRow("cell") << 2 << 3 << false << true << false << 0 << false;
  QTest::newRow("corner, scrolled") << 0 << 0 << true << true << false << 0 << false;
  QTest::newRow("heading row, scrolled") << 4 << 0 << true << true << false << 0 << false;
  QTest::newRow("heading column, scrolled") << 0 << 58 << true << true << false << 0 << false;
  QTest::newRow("cell, scrolled") << 4 << 58 << true << true << false << 0 << false;
  QTest::newRow("cell scrolled out of view") << 2 << 3 << true << false << false << 0 << false;
  QTest::newRow("heading row, reshaped") << 2 << 0 << false << true << true << 0 << false;
  QTest::newRow("cell, reshaped") << 2 << 3 << false << true << true << 0 << false;
  QTest::newRow("cell, scrolled and reshaped") << 4 << 58 << true << true << true << 0 << false;
  QTest::newRow("cell changed, scrolled, changed") << 2 << 8 << false << true << false << 3 << false;
  QTest::newRow("heading column changed, scrolled, changed")
      << 0 << 8 << false << true << false << 3 << false;
  QTest::newRow("cell changed, scrolled out of view, changed")
      << 2 << 3 << false << false << false << 20 << false;
  QTest::newRow("heading column shown late") << 0 << 3 << false << true << false << 0 << true;
  QTest::newRow("corner shown late") << 0 << 0 << false << true << false << 0 << true;
  QTest::newRow("cell, heading column shown late") << 2 << 3 << false << true << false << 0
                                                   << true;
  QTest::newRow("heading column shown late, scrolled")
      << 0 << 58 << true << true << false << 0 << true;
  QTest::newRow("heading column shown late, changed, scrolled, changed")
      << 0 << 8 << false << true << false << 3 << true;
}

void TextGridTest::changed_cell_shows_where_it_lies() {
  // A changed cell repaints only where it is shown: what the window shows
  // afterwards is what painting all of it anew shows.
  QFETCH(int, col);
  QFETCH(int, row);
  QFETCH(bool, scrolled);
  QFETCH(bool, in_view);
  QFETCH(bool, reshaped);
  QFETCH(int, then_scrolled);
  QFETCH(bool, late_heading_column);
  StandingsGrid g(late_heading_column ? 0 : 1, QSize(260, 200));
  QVERIFY(QTest::qWaitForWindowExposed(&g.grid));
  if (scrolled) {
    g.grid.scrollToBottom();
    g.grid.horizontalScrollBar()->setValue(g.grid.horizontalScrollBar()->maximum());
  }
  if (late_heading_column)
    g.grid.grid().set_fixed_cols(1);
  QCoreApplication::processEvents();
  const auto on_screen = [&] {
    return g.grid.screen()->grabWindow(g.grid.winId()).toImage().convertToFormat(
        QImage::Format_RGB32);
  };
  // The heading column's rows line up with the table's.
  const QRect body = g.grid.viewport()->geometry();
  for (int y : {body.top() + 2, body.top() + 30})
    QCOMPARE(g.grid.cell_at(QPoint(g.grid.frameWidth() + 2, y)).row(),
             g.grid.cell_at(QPoint(body.left() + 2, y)).row());
  const QImage before = on_screen();
  QCOMPARE(before, g.grid.grab().toImage().convertToFormat(QImage::Format_RGB32));
  if (reshaped) {
    g.grid.grid().set_col_count(9);
    g.grid.grid().set_row_count(61);
  }
  g.grid.grid().set_cell(col, row, "WW");
  if (then_scrolled) {
    // Between two repaints: the rectangle asked for first is no longer the cell's.
    g.grid.verticalScrollBar()->setValue(g.grid.verticalScrollBar()->value() +
                                         then_scrolled * g.grid.grid().row_height(row));
    g.grid.grid().set_cell(col, row, "WWWWW");
  }
  for (int i = 0; i < 5; ++i)
    QCoreApplication::processEvents();
  const QImage after = on_screen();
  QCOMPARE(after, g.grid.grab().toImage().convertToFormat(QImage::Format_RGB32));
  if (!then_scrolled)
    QCOMPARE(after != before, in_view);
  // Changed again after that repaint: shown again.
  g.grid.grid().set_cell(col, row, "W");
  for (int i = 0; i < 5; ++i)
    QCoreApplication::processEvents();
  QCOMPARE(on_screen(), g.grid.grab().toImage().convertToFormat(QImage::Format_RGB32));
}

void TextGridTest::selected_cells_show_highlighted() {
  // Cells the user drags over show in the highlight colour, their
  // neighbours as they were.
  StandingsGrid g(1, QSize(260, 200));
  QVERIFY(QTest::qWaitForWindowExposed(&g.grid));
  const QColor highlight = g.grid.palette().color(QPalette::Highlight);
  const auto background_at = [&](int col, int row) {
    const QModelIndex index = g.grid.grid().index(row, col);
    const QPoint inside = g.grid.visualRect(index).topLeft() + QPoint(1, 1);
    return g.grid.grab().toImage().pixelColor(g.grid.viewport()->mapTo(&g.grid, inside));
  };
  QVERIFY(background_at(2, 3) != highlight);
  g.grid.selectionModel()->select(g.grid.grid().index(3, 2), QItemSelectionModel::Select);
  for (int i = 0; i < 3; ++i)
    QCoreApplication::processEvents();
  QCOMPARE(background_at(2, 3), highlight);
  QVERIFY(background_at(3, 3) != highlight);
  QVERIFY(background_at(2, 4) != highlight);
}

void TextGridTest::fixed_rows_and_columns_stay_in_view() {
  StandingsGrid g(1, QSize(200, 150));
  g.grid.grid().set_col_width(1, 300);
  QCoreApplication::processEvents(); // the scroll ranges follow the widths
  g.grid.scrollToBottom();
  g.grid.horizontalScrollBar()->setValue(g.grid.horizontalScrollBar()->maximum());
  QVERIFY(g.grid.verticalScrollBar()->value() > 0);
  QVERIFY(g.grid.horizontalScrollBar()->value() > 0);
  const int f = g.grid.frameWidth();
  const QPoint top_left(f + 2, f + 2);
  // The corner still shows the first heading, the heading row the headings
  // of the columns scrolled into view, the fixed column the rows' first cells.
  QCOMPARE(g.grid.cell_at(top_left), g.grid.grid().index(0, 0));
  const QModelIndex heading = g.grid.cell_at(QPoint(60, f + 2));
  QCOMPARE(heading.row(), 0);
  QVERIFY(heading.column() > 1);
  const QModelIndex first_column = g.grid.cell_at(QPoint(f + 2, 60));
  QCOMPARE(first_column.column(), 0);
  QVERIFY(first_column.row() > 20);
  QCOMPARE(g.grid.cell_at(QPoint(60, 60)).row(), first_column.row());
  // What is drawn there is the heading colour, not a scrolled cell.
  const QImage image = g.grid.grab().toImage();
  QVERIFY(near_colour(image.pixel(top_left + QPoint(20, 0)), QColor(0x80, 0x00, 0x80)));
  QVERIFY(near_colour(image.pixel(60, f + 2), QColor(0x80, 0x00, 0x80)));
  // The last row can be reached: it is the last one in view.
  QCOMPARE(g.grid.cell_at(QPoint(f + 2, g.grid.viewport()->geometry().bottom() - 2)).row(), 59);
}

void TextGridTest::grid_lines_show_on_cells_and_headings() {
  StandingsGrid g(0, QSize(300, 120));
  const int f = g.grid.frameWidth();
  const QImage image = g.grid.grab().toImage();
  const QColor black(Qt::black);
  const QColor purple(0x80, 0x00, 0x80);
  // The border between columns 0 and 1 is the last pixel of column 0, in the
  // heading row and in a data row, and the bottom of each row likewise.
  const int border_x = f + 39;
  const int heading_y = f + 12;
  const int data_y = f + 24 + 12;
  const QColor line = grid_line_colour(black);
  QVERIFY(near_colour(image.pixel(border_x, heading_y), line));
  QVERIFY(near_colour(image.pixel(border_x, data_y), line));
  QVERIFY(near_colour(image.pixel(f + 20, f + 23), line));
  QVERIFY(near_colour(image.pixel(f + 20, f + 47), line));
  QVERIFY(near_colour(image.pixel(border_x - 1, heading_y), purple));
  QVERIFY(near_colour(image.pixel(border_x - 1, data_y), black));
  // A grid without lines shows none.
  g.grid.set_grid_lines(false);
  const QImage plain = g.grid.grab().toImage();
  QVERIFY(near_colour(plain.pixel(border_x, data_y), black));
  QVERIFY(near_colour(plain.pixel(border_x, heading_y), purple));
}

void TextGridTest::dragging_a_heading_border_sizes_a_column() {
  StandingsGrid g(1, QSize(420, 200));
  g.grid.set_column_sizing(true);
  TextGridModel &m = g.grid.grid();
  const int f = g.grid.frameWidth();
  // The border between the fixed column 0 and column 1.
  g.drag(g.in_heading_row(f + 40), g.in_heading_row(f + 70));
  QCOMPARE(m.col_width(0), 70);
  QCOMPARE(g.grid.shown_col_width(0), 70);
  // The border between columns 1 and 2, grabbed two pixels left of it.
  int border = f + 70 + 120;
  g.drag(g.in_heading_row(border - 2), g.in_heading_row(border + 28));
  QCOMPARE(m.col_width(1), 150);
  QCOMPARE(g.grid.shown_col_width(1), 150);
  // Columns 5 and 6 have no width: their border with column 4 opens them,
  // the last first, when taken on or right of it; left of it, column 4.
  border = f + 70 + 150 + 3 * 40;
  g.drag(g.in_heading_row(border + 1), g.in_heading_row(border + 31));
  QCOMPARE(m.col_width(6), 30);
  QCOMPARE(m.col_width(5), 0);
  g.drag(g.in_heading_row(border + 1), g.in_heading_row(border + 21));
  QCOMPARE(m.col_width(5), 20);
  QCOMPARE(g.grid.shown_col_width(5), 20);
  g.drag(g.in_heading_row(border - 2), g.in_heading_row(border - 12));
  QCOMPARE(m.col_width(4), 30);
  // A drag in a data row sizes nothing.
  g.drag(QPoint(f + 70 + 150, 100), QPoint(f + 70 + 150 + 40, 100));
  QCOMPARE(m.col_width(1), 150);
  // Without sizing, borders cannot be taken.
  g.grid.set_column_sizing(false);
  g.drag(g.in_heading_row(f + 70), g.in_heading_row(f + 90));
  QCOMPARE(m.col_width(0), 70);
}

void TextGridTest::later_packet_width_replaces_dragged_width_data() {
  QTest::addColumn<QString>("then");
  QTest::addColumn<int>("width"); // of column 2 afterwards
  QTest::newRow("width of that column") << QStringLiteral("width 2") << 55;
  QTest::newRow("width of another column") << QStringLiteral("width 3") << 100;
  QTest::newRow("column count") << QStringLiteral("count") << 40;
  QTest::newRow("cleared") << QStringLiteral("clear") << 40;
  QTest::newRow("one row emptied") << QStringLiteral("clear row") << 100;
  QTest::newRow("default width") << QStringLiteral("default") << 50;
}

void TextGridTest::later_packet_width_replaces_dragged_width() {
  QFETCH(QString, then);
  QFETCH(int, width);
  StandingsGrid g(0, QSize(420, 200));
  g.grid.set_column_sizing(true);
  TextGridModel &m = g.grid.grid();
  const int border = g.grid.frameWidth() + 40 + 120 + 40;
  g.drag(g.in_heading_row(border), g.in_heading_row(border + 60));
  QCOMPARE(m.col_width(2), 100);
  if (then == QLatin1String("width 2"))
    m.set_col_width(2, 55);
  else if (then == QLatin1String("width 3"))
    m.set_col_width(3, 55);
  else if (then == QLatin1String("count"))
    m.set_col_count(9);
  else if (then == QLatin1String("clear"))
    m.clear_cells();
  else if (then == QLatin1String("clear row"))
    m.clear_row(3);
  else if (then == QLatin1String("default"))
    m.set_default_col_width(50);
  QCOMPARE(m.col_width(2), width);
  QCOMPARE(g.grid.shown_col_width(2), width);
}

namespace {

// Paint events that reach a widget or anything inside it.
struct PaintsInside : QObject {
  QWidget *root;
  int paints = 0;
  QRegion painted; // in the root's own coordinates when it paints alone
  explicit PaintsInside(QWidget *r) : root(r) { qApp->installEventFilter(this); }
  bool eventFilter(QObject *o, QEvent *e) override {
    if (e->type() == QEvent::Paint && o->isWidgetType() &&
        (o == root || root->isAncestorOf(static_cast<QWidget *>(o)))) {
      ++paints;
      painted += static_cast<QPaintEvent *>(e)->region();
    }
    return false;
  }
};

} // namespace

void TextGridTest::clearing_repaints_what_held_text_data() {
  // Cells written before the table is cleared, as col,row pairs.
  QTest::addColumn<QList<QPoint>>("written");
  QTest::newRow("one cell") << QList<QPoint>{{2, 3}};
  QTest::newRow("a row") << QList<QPoint>{{1, 4}, {2, 4}, {3, 4}};
  QTest::newRow("two cells apart") << QList<QPoint>{{1, 2}, {3, 6}};
  QTest::newRow("a heading and a cell") << QList<QPoint>{{2, 0}, {0, 5}, {3, 5}};
}

void TextGridTest::clearing_repaints_what_held_text() {
  QFETCH(QList<QPoint>, written);
  TextGrid grid;
  TextGridModel &m = grid.grid();
  m.set_col_count(6);
  m.set_row_count(20);
  m.set_default_col_width(50);
  m.set_screen_colours({0x000000, 0xFFFFFF, 0x800080});
  for (const QPoint &p : written)
    m.set_cell(p.x(), p.y(), "WW");
  grid.resize(320, 400);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  // The first picture, laid out on a timer of the view's own, done.
  QTest::qWait(50);
  QRegion painted;
  {
    PaintsInside paints(grid.viewport());
    m.clear_cells();
    for (int i = 0; i < 5; ++i)
      QCoreApplication::processEvents();
    painted = paints.painted;
  }
  // What shows is the table painted anew, and the table's own part repainted
  // no more than the cells between those that held text.
  QCOMPARE(grid.screen()->grabWindow(grid.winId()).toImage().convertToFormat(QImage::Format_RGB32),
           grid.grab().toImage().convertToFormat(QImage::Format_RGB32));
  // The cells between, in the table's own part (headings lie in parts of
  // their own).
  QRect range;
  for (const QPoint &p : written)
    range |= QRect(p, QSize(1, 1));
  const int left = std::max(range.left(), m.fixed_cols()), top = std::max(range.top(), m.fixed_rows());
  const QRect held(QPoint(grid.columnViewportPosition(left), grid.rowViewportPosition(top)),
                   QPoint(grid.columnViewportPosition(range.right()) + grid.columnWidth(range.right()) - 1,
                          grid.rowViewportPosition(range.bottom()) + grid.rowHeight(range.bottom()) - 1));
  QVERIFY(!painted.isEmpty());
  QCOMPARE(painted.boundingRect() | held, held);
}

void TextGridTest::activation_repaints_only_what_it_changes_data() {
  // The screens are activated whenever another one comes forward: a grid
  // repaints for it only when its colours differ between the two states.
  QTest::addColumn<bool>("inactive_colours_differ");
  QTest::newRow("same colours active and inactive") << false;
  QTest::newRow("selection colour differs when inactive") << true;
}

void TextGridTest::activation_repaints_only_what_it_changes() {
  QFETCH(bool, inactive_colours_differ);
  StandingsGrid g(1, QSize(300, 200));
  if (inactive_colours_differ) {
    QPalette p = g.grid.palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, Qt::red);
    g.grid.setPalette(p);
  }
  QWidget other;
  other.show();
  QApplication::setActiveWindow(&g.grid);
  QVERIFY(QTest::qWaitForWindowExposed(&g.grid));
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  PaintsInside paints(&g.grid);
  for (QWidget *front : {&other, static_cast<QWidget *>(&g.grid), &other}) {
    QApplication::setActiveWindow(front);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
  QCOMPARE(paints.paints > 0, inactive_colours_differ);
}

namespace {

struct Cell {
  QString text;
  QColor background;
  bool selected = false;
};

// One cell painted by a delegate onto an image of the raster engine, away
// from the image's corner.
struct CellPainter {
  TextCellLook shown;
  TextCellDelegate delegate;
  explicit CellPainter(qsizetype picture_bytes)
      : delegate([this](const QModelIndex &, const QStyleOptionViewItem &) { return shown; },
                 [](const QModelIndex &) { return QSize(); }, 64, picture_bytes) {}
  QImage paint(const Cell &cell, const QColor &lines, QSize size) {
    QFont font;
    font.setPixelSize(16);
    shown = TextCellLook{cell.text, cell.background, Qt::white, lines, font};
    QImage image(size + QSize(20, 12), QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = QRect(QPoint(7, 5), size);
    option.palette.setColor(QPalette::Highlight, Qt::darkBlue);
    if (cell.selected)
      option.state |= QStyle::State_Selected;
    delegate.paint(&painter, option, QModelIndex());
    return image;
  }
};

} // namespace

Q_DECLARE_METATYPE(Cell)

void TextGridTest::cell_pictures_paint_as_cells_do_data() {
  // A cell painted again as before is copied from a picture of it: the
  // copy must be the very pixels that painting gives, and a cell that
  // differs in anything shown (taking turns with it at the same size) must
  // never get its picture.
  QTest::addColumn<Cell>("cell");
  QTest::addColumn<Cell>("other");
  QTest::addColumn<QColor>("lines");
  QTest::addColumn<QSize>("size");
  QTest::addColumn<bool>("kept");
  const QColor black(Qt::black), grey(Qt::gray), purple(0x80, 0, 0x80), see_through(0, 0, 0, 128);
  const QString wide(20, u'W');
  QTest::newRow("other background") << Cell{"Jan Novák", black} << Cell{"Jan Novák", purple}
                                    << grey << QSize(120, 24) << true;
  QTest::newRow("other name") << Cell{"Jan Novák", black} << Cell{"Jan Novak", black} << grey
                              << QSize(120, 24) << true;
  QTest::newRow("no lines") << Cell{"12", purple} << Cell{"13", purple} << QColor()
                            << QSize(40, 20) << true;
  QTest::newRow("cut at the edge, differs past it")
      << Cell{wide, black} << Cell{wide.chopped(1) + u'X', black} << grey << QSize(60, 24) << true;
  QTest::newRow("taller than its cell") << Cell{"Ág", black} << Cell{"Ag", black} << grey
                                        << QSize(50, 8) << true;
  QTest::newRow("empty, other with text") << Cell{"", black} << Cell{"x", black} << grey
                                          << QSize(50, 20) << true;
  QTest::newRow("selected, other not") << Cell{"DNF", black, true} << Cell{"DNF", black} << grey
                                       << QSize(50, 20) << true;
  QTest::newRow("see-through background") << Cell{"5", see_through} << Cell{"6", see_through}
                                          << grey << QSize(50, 20) << false;
}

void TextGridTest::cell_pictures_paint_as_cells_do() {
  QFETCH(Cell, cell);
  QFETCH(Cell, other);
  QFETCH(QColor, lines);
  QFETCH(QSize, size);
  QFETCH(bool, kept);
  CellPainter painted(0), copied(1 << 20);
  for (int turn = 0; turn < 3; ++turn) {
    QCOMPARE(copied.paint(cell, lines, size), painted.paint(cell, lines, size));
    QCOMPARE(copied.paint(other, lines, size), painted.paint(other, lines, size));
  }
  QCOMPARE(copied.delegate.picture_bytes_kept() > 0, kept);
}

void TextGridTest::cell_pictures_stay_within_their_room() {
  // Many different cells, each painted twice, keep no more than the room
  // given, and still keep some.
  const qsizetype room = 64 << 10;
  CellPainter copied(room);
  for (int i = 0; i < 200; ++i) {
    const Cell cell{QString::number(i), Qt::black};
    copied.paint(cell, Qt::gray, QSize(40, 16));
    copied.paint(cell, Qt::gray, QSize(40, 16));
    QVERIFY(copied.delegate.picture_bytes_kept() <= room);
  }
  QVERIFY(copied.delegate.picture_bytes_kept() >= room / 4);
}

namespace {

// A list of large plain lines on a solid background, as the frame screen
// shows them; `kept` keeps pictures of its lines.
struct Lines {
  QListWidget list;
  KeptItemDelegate *delegate = nullptr;
  explicit Lines(bool kept) {
    QPalette p = list.palette();
    p.setColor(QPalette::Base, QColor(0xC0, 0xDC, 0xC0));
    p.setColor(QPalette::Text, Qt::black);
    list.setPalette(p);
    QFont f;
    f.setPixelSize(30);
    list.setFont(f);
    list.resize(300, 140);
    if (kept) {
      delegate = new KeptItemDelegate(4 << 20, &list);
      list.setItemDelegate(delegate);
    }
    for (int i = 0; i < 3; ++i)
      list.addItem(QString());
  }
  QImage picture() {
    QImage image(list.size(), QImage::Format_RGB32);
    list.render(&image);
    return image;
  }
};

} // namespace

void TextGridTest::item_pictures_paint_as_items_do_data() {
  // A line painted again as before is copied from a picture of it; the copy
  // must be the very pixels that painting gives, and a line shown otherwise
  // (taking turns with it) must never get its picture. A line with a look
  // of its own is painted as usual.
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("other");
  QTest::addColumn<std::function<void(QListWidget &)>>("setup");
  QTest::addColumn<bool>("kept");
  const auto nothing = [](QListWidget &) {};
  QTest::newRow("other text") << "HEAT 2 RESULTS" << "HEAT 3 RESULTS"
                              << std::function<void(QListWidget &)>(nothing) << true;
  QTest::newRow("empty, other with text") << "" << "x" << std::function<void(QListWidget &)>(nothing)
                                          << true;
  QTest::newRow("selected line") << "1. A. RIDER" << "2. M. VOSS"
                                 << std::function<void(QListWidget &)>([](QListWidget &l) {
                                      l.setCurrentRow(1);
                                    })
                                 << true;
  QTest::newRow("disabled") << "DNF" << "DNS"
                            << std::function<void(QListWidget &)>([](QListWidget &l) {
                                 l.setEnabled(false);
                               })
                            << true;
  QTest::newRow("own background") << "12" << "13"
                                   << std::function<void(QListWidget &)>([](QListWidget &l) {
                                        l.item(1)->setBackground(Qt::yellow);
                                        l.item(0)->setBackground(Qt::yellow);
                                        l.item(2)->setBackground(Qt::yellow);
                                      })
                                   << false;
  QTest::newRow("alternating rows") << "12" << "12"
                                    << std::function<void(QListWidget &)>([](QListWidget &l) {
                                         l.setAlternatingRowColors(true);
                                       })
                                    << true;
}

void TextGridTest::item_pictures_paint_as_items_do() {
  QFETCH(QString, text);
  QFETCH(QString, other);
  QFETCH(std::function<void(QListWidget &)>, setup);
  QFETCH(bool, kept);
  Lines painted(false), copied(true);
  setup(painted.list);
  setup(copied.list);
  for (int turn = 0; turn < 4; ++turn) {
    // The middle line takes turns between the two texts; the others stay.
    for (Lines *l : {&painted, &copied}) {
      l->list.item(0)->setText(text);
      l->list.item(1)->setText(turn % 2 ? other : text);
      l->list.item(2)->setText(other);
    }
    QCOMPARE(copied.picture(), painted.picture());
  }
  QCOMPARE(copied.delegate->bytes_kept() > 0, kept);
}

namespace {

// Counts the paint events that reach an object.
struct PaintCount : QObject {
  int paints = 0;
  bool eventFilter(QObject *, QEvent *e) override {
    paints += e->type() == QEvent::Paint;
    return false;
  }
};

// A window of one colour with a captioned box, a chooser inside it, and a
// table's scroll bar beside it.
struct Chooser {
  QWidget window;
  QGroupBox *box = new QGroupBox(QStringLiteral("Sprints"), &window);
  QComboBox *combo = new QComboBox(box);
  QScrollBar *bar = new QScrollBar(Qt::Vertical, &window);
  PaintCount box_paints; // that reached the box itself
  PaintCount bar_paints;
  explicit Chooser(bool kept) {
    QPalette p = window.palette();
    p.setColor(QPalette::Window, QColor(0, 0, 0x80));
    window.setPalette(p);
    window.setAutoFillBackground(true);
    window.resize(240, 120);
    box->setGeometry(10, 10, 200, 100);
    combo->setGeometry(16, 20, 150, 24);
    combo->addItems({QStringLiteral("Sprint 1"), QStringLiteral("Sprint 2")});
    // Filters run last installed first: this one sees what passed the box's.
    box->installEventFilter(&box_paints);
    bar->setGeometry(216, 4, 16, 112);
    bar->setRange(0, 40);
    bar->setAutoFillBackground(true);
    bar->installEventFilter(&bar_paints);
    if (kept) {
      keep_frame_pictures(box);
      keep_bar_pictures(bar);
    }
  }
  // The combo box's part of the window, as a repaint of it paints it.
  QImage picture(bool then_make_pictures = true) {
    QImage image(window.size(), QImage::Format_RGB32);
    image.fill(Qt::red);
    window.render(&image);
    // The box makes its pictures once a painting is over.
    if (then_make_pictures)
      QCoreApplication::sendPostedEvents();
    return image;
  }
};

} // namespace

void TextGridTest::frame_pictures_paint_as_the_frame_does_data() {
  // The part of a box painted again as before is copied from a picture of
  // it; anything that changes how the box looks must paint it anew.
  QTest::addColumn<std::function<void(Chooser &)>>("change");
  QTest::addColumn<bool>("kept");
  QTest::addColumn<bool>("of_bar"); // whose paints are counted: the bar's, or the box's
  using Change = std::function<void(Chooser &)>;
  QTest::newRow("nothing") << Change([](Chooser &) {}) << true << false;
  QTest::newRow("chosen entry") << Change([](Chooser &c) { c.combo->setCurrentIndex(1); }) << true << false;
  QTest::newRow("caption") << Change([](Chooser &c) { c.box->setTitle(QStringLiteral("Laps")); })
                           << true << false;
  QTest::newRow("caption colour") << Change([](Chooser &c) {
    QPalette p = c.box->palette();
    p.setColor(QPalette::WindowText, Qt::yellow);
    c.box->setPalette(p);
  }) << true << false;
  QTest::newRow("background") << Change([](Chooser &c) {
    QPalette p = c.window.palette();
    p.setColor(QPalette::Window, Qt::darkGreen);
    c.window.setPalette(p);
  }) << true << false;
  QTest::newRow("size") << Change([](Chooser &c) { c.box->resize(180, 90); }) << true << false;
  QTest::newRow("see-through background") << Change([](Chooser &c) {
    QPalette p = c.window.palette();
    p.setColor(QPalette::Window, QColor(0, 0, 0x80, 100));
    c.window.setPalette(p);
  }) << false << false;
  QTest::newRow("bar moved") << Change([](Chooser &c) { c.bar->setValue(7); }) << true << true;
  QTest::newRow("bar range") << Change([](Chooser &c) { c.bar->setRange(0, 4); }) << true << true;
  QTest::newRow("bar length") << Change([](Chooser &c) { c.bar->resize(16, 80); }) << true << true;
  QTest::newRow("bar off") << Change([](Chooser &c) { c.bar->setEnabled(false); }) << true << true;
  QTest::newRow("bar under the mouse") << Change([](Chooser &c) {
    c.bar->setAttribute(Qt::WA_UnderMouse);
  }) << false << true;
  QTest::newRow("see-through bar") << Change([](Chooser &c) {
    QPalette p = c.bar->palette();
    p.setColor(c.bar->backgroundRole(), QColor(0, 0x80, 0, 100));
    c.bar->setPalette(p);
  }) << false << true;
}

void TextGridTest::frame_pictures_paint_as_the_frame_does() {
  QFETCH(std::function<void(Chooser &)>, change);
  QFETCH(bool, kept);
  QFETCH(bool, of_bar);
  Chooser painted(false), copied(true);
  const PaintCount &paints = of_bar ? copied.bar_paints : copied.box_paints;
  for (int turn = 0; turn < 3; ++turn)
    QCOMPARE(copied.picture(), painted.picture());
  const int before = paints.paints;
  QCOMPARE(copied.picture(), painted.picture());
  // Copied, the widget did not paint itself.
  QCOMPARE(paints.paints == before, true);
  change(painted);
  change(copied);
  for (int turn = 0; turn < 3; ++turn)
    QCOMPARE(copied.picture(), painted.picture());
  const int after = paints.paints;
  QCOMPARE(copied.picture(), painted.picture());
  QCOMPARE(paints.paints == after, kept);
}

void TextGridTest::a_picture_kept_again_counts_once() {
  // A box makes its picture after the paint that asked for it; two paints
  // can ask before it is made, and the same picture is kept twice.
  KeptPictures<int> pictures(1 << 20, 16);
  QImage picture(10, 10, QImage::Format_RGB32);
  picture.fill(Qt::red);
  pictures.keep(1, picture);
  pictures.keep(1, picture);
  QCOMPARE(pictures.bytes_kept(), picture.sizeInBytes());
  pictures.keep(2, picture);
  QCOMPARE(pictures.bytes_kept(), 2 * picture.sizeInBytes());
}

void TextGridTest::a_picture_is_made_across_an_activation() {
  // A screen brought forward paints before its activation arrives, and the
  // picture is made after: with the same colours for an active window, the
  // activation changes nothing and the next paint is copied.
  Chooser painted(false), copied(true);
  QCOMPARE(copied.picture(), painted.picture());
  QCOMPARE(copied.picture(false), painted.picture(false));
  QApplication::setActiveWindow(&copied.window);
  QVERIFY(copied.bar->isActiveWindow());
  QCoreApplication::sendPostedEvents();
  const int before = copied.bar_paints.paints;
  QCOMPARE(copied.picture(), painted.picture());
  QCOMPARE(copied.bar_paints.paints, before);
}

QTEST_MAIN(TextGridTest)
#include "text_grid_test.moc"
