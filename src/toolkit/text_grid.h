#pragma once

#include "screen_colours.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QSet>
#include <QTableView>

#include <memory>
#include <vector>

class TextCellDelegate;

// A grid of 8-bit text cells with the behaviour the screens were designed
// for: counts never below 1, fixed heading rows and columns, a default column
// width and row height, per-column widths, and cells that keep their text
// when the table shrinks and show it again when it grows.
//
// The model holds everything; TextGrid only renders it, so a screen's tables
// can be driven and checked in a test without a view.
class TextGridModel : public QAbstractTableModel {
  Q_OBJECT
public:
  // Counts are capped here: far beyond any race, small enough that a sender
  // asking for two thousand million rows cannot exhaust memory.
  static constexpr int kMaxCount = 999;

  explicit TextGridModel(QObject *parent = nullptr);

  int row_count() const { return rows_; }
  int col_count() const { return cols_; }
  void set_row_count(int rows);
  void set_col_count(int cols);

  int fixed_rows() const { return fixed_rows_; }
  int fixed_cols() const { return fixed_cols_; }
  void set_fixed_rows(int n);
  void set_fixed_cols(int n);

  int default_col_width() const { return default_col_width_; }
  int default_row_height() const { return default_row_height_; }
  // Setting a default gives every column (row) that width (height).
  void set_default_col_width(int w);
  void set_default_row_height(int h);
  int col_width(int col) const;
  int row_height(int row) const;
  // A width set here (by a Packet or the screen) replaces one the user dragged.
  void set_col_width(int col, int w);
  void set_row_height(int row, int h);
  // The width the user dragged a column to: it holds until that column's
  // width or the column count is set, a default width is set, or the table
  // is cleared.
  void set_user_col_width(int col, int w);
  void forget_user_widths();
  bool has_user_width(int col) const { return user_widths_.contains(col); }
  // Sum of the widths (heights) of the fixed columns (rows).
  int fixed_width() const;
  int fixed_height() const;

  // Cells are addressed column first, as the screens' tables are.
  QByteArray cell(int col, int row) const;
  void set_cell(int col, int row, QByteArrayView text);
  // Empties every cell inside the current counts (cells outside keep theirs)
  // and forgets the widths the user dragged.
  void clear_cells();
  // Empties one row (all columns inside the current count).
  void clear_row(int row);
  // Number of non-empty cells held, inside or outside the current counts.
  qsizetype stored_cells() const { return cells_.size(); }

  QColor cell_colour() const { return cell_colour_; }
  QColor text_colour() const { return text_colour_; }
  QColor fixed_colour() const { return fixed_colour_; }
  void set_colours(QColor cell, QColor text, QColor fixed);
  void set_screen_colours(const ScreenColours &c);
  QFont font() const { return font_; }
  void set_font(const QFont &font);

  bool is_fixed(int col, int row) const { return row < fixed_rows_ || col < fixed_cols_; }

  // QAbstractTableModel
  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  // A column's heading is its cell in the first fixed row, a row's heading
  // its cell in the first fixed column: screen readers name cells by them.
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
  // Widths, heights or fixed counts changed: views lay themselves out again.
  void geometry_changed();
  // One column's width or one row's height changed (a heading line hiding
  // 999 columns must not lay out the whole table 999 times).
  void col_width_changed(int col);
  void row_height_changed(int row);

private:
  static quint32 key(int col, int row) { return quint32(col) << 16 | quint32(row); }
  static int clamp_count(int n);
  void emit_all_changed();

  int rows_ = 5;
  int cols_ = 5;
  int fixed_rows_ = 1;
  int fixed_cols_ = 1;
  int default_col_width_ = 64;
  int default_row_height_ = 24;
  std::vector<int> col_widths_;
  std::vector<int> row_heights_;
  QHash<int, int> user_widths_;
  QHash<quint32, QByteArray> cells_;
  // What a changed text changes, made once: a list built for every changed
  // cell was an allocation per cell.
  const QList<int> text_role_{Qt::DisplayRole};
  QColor cell_colour_ = Qt::white;
  QColor text_colour_ = Qt::black;
  QColor fixed_colour_ = QColor(0xC0, 0xC0, 0xC0);
  QFont font_;
};

// Lines between cells must show on the cell colour and on the fixed colour
// alike: silver on dark tables, grey on light ones.
QColor grid_line_colour(QColor cell);

// The view of a TextGridModel, a classic string grid: the fixed rows stay at
// the top and the fixed columns at the left while the rest scrolls, lines
// may be drawn between all cells, and where sizing is on, the user drags the
// border between two columns in a fixed row to change a width.
//
// The fixed parts are three more views of the same model laid over the
// table's (hidden) header areas, so every cell, headings included, is a cell
// of a QTableView that screen readers read.
class TextGrid : public QTableView {
  Q_OBJECT
public:
  // How near a border (in pixels, either side) a press takes hold of it.
  static constexpr int kGrip = 3;

  // A grid over a model of its own.
  explicit TextGrid(QWidget *parent = nullptr);
  // A grid over a model someone else holds (a screen's model): the model
  // must outlive the grid.
  explicit TextGrid(TextGridModel &model, QWidget *parent = nullptr);

  TextGridModel &grid() { return model_; }
  const TextGridModel &grid() const { return model_; }

  void set_scroll_bars(Qt::ScrollBarPolicy horizontal, Qt::ScrollBarPolicy vertical);
  void set_grid_lines(bool on);
  bool grid_lines() const { return grid_lines_; }
  // Let the user drag column borders in a fixed row (the hidden columns can
  // be opened).
  void set_column_sizing(bool on);
  bool column_sizing() const { return sizing_; }

  // The cell shown at a point of this widget, in whichever part shows it.
  QModelIndex cell_at(QPoint pos) const;
  // A column's width (row's height) as the part that shows it has it.
  int shown_col_width(int col) const;
  int shown_row_height(int row) const;
  // The column whose right border a press at this point would take hold
  // of, or -1.
  int border_at(QPoint pos) const;

protected:
  void updateGeometries() override;
  void paintEvent(QPaintEvent *event) override;
  bool viewportEvent(QEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QTableView *make_part(const QString &name);
  // The fixed part in `part` (one of top_, left_, corner_), made now if it
  // was not yet.
  QTableView *add_part(QTableView *&part);
  // The fixed parts made so far.
  QList<QTableView *> parts() const;
  int right_edge(int col) const;
  bool size_column(QWidget *viewport, QEvent *event);
  void sync_geometry();
  void sync_fixed();
  void sync_col_width(int col);
  void sync_row_height(int row);
  void sync_colours();
  void place_parts();
  // Gives a fixed part the model when it is first shown, and its sizes.
  void show_part(QTableView *part);
  // The one view that shows a cell: the scrolling part or a fixed one.
  QTableView *part_showing(int col, int row) const;
  void cells_changed(const QModelIndex &top_left, const QModelIndex &bottom_right,
                     const QList<int> &roles);
  // Asks for the repaint of one cell where it is shown, once until painted.
  void ask_repaint(int col, int row);
  // Forgets the cells whose repaint was asked for, on an event of a
  // viewport that ends it or at once (no event).
  void forget_asked(const QEvent *event = nullptr);
  void set_up();

  // Set only when the grid holds its own model.
  std::unique_ptr<TextGridModel> own_model_;
  TextGridModel &model_;
  // Cell texts whose layouts are kept: every name and time a meeting shows.
  static constexpr qsizetype kKeptLayouts = 4096;
  // Room for the pictures of the cells painted again and again: a table
  // of the demo race keeps up to about 1 MiB of them.
  static constexpr qsizetype kPictureBytes = 2 << 20;
  TextCellDelegate *delegate_ = nullptr;
  QStyle *cell_style_ = nullptr; // the application's, less the cells' row panels
  // The fixed rows (top_), the fixed columns (left_) and where they meet;
  // each is made when it first shows (most tables have no fixed columns, and
  // a part is a table view of its own, about twenty widgets).
  QTableView *top_ = nullptr;
  QTableView *left_ = nullptr;
  QTableView *corner_ = nullptr;
  // Fixed sections hidden in the scrolling part, as last applied.
  int hidden_rows_ = 0;
  int hidden_cols_ = 0;
  bool grid_lines_ = true;
  // Cells (column << 16 | row) whose repaint was asked for since the grid
  // was last painted.
  QSet<quint32> asked_;
  // Worked out when the colours change, not for every cell painted.
  QColor line_colour_;
  bool sizing_ = false;
  struct Drag {
    int col = -1;
    int start_x = 0;
    int start_width = 0;
  } drag_;
};
