#pragma once

#include "screen_colours.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QTableView>

#include <vector>

class TextGridDelegate;

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
  void set_col_width(int col, int w);
  void set_row_height(int row, int h);

  // Cells are addressed column first, as the screens' tables are.
  QByteArray cell(int col, int row) const;
  void set_cell(int col, int row, QByteArrayView text);
  // Empties every cell inside the current counts; cells outside keep theirs.
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
  QHash<quint32, QByteArray> cells_;
  QColor cell_colour_ = Qt::white;
  QColor text_colour_ = Qt::black;
  QColor fixed_colour_ = QColor(0xC0, 0xC0, 0xC0);
  QFont font_;
};

// The view of a TextGridModel: a QTableView without headers whose column
// widths and row heights follow the model. Being a QTableView over a model,
// every cell is readable by a screen reader.
class TextGrid : public QTableView {
  Q_OBJECT
public:
  explicit TextGrid(QWidget *parent = nullptr);

  TextGridModel &grid() { return model_; }
  const TextGridModel &grid() const { return model_; }

  void set_scroll_bars(Qt::ScrollBarPolicy horizontal, Qt::ScrollBarPolicy vertical);
  void set_grid_lines(bool on) { setShowGrid(on); }
  // Let the user drag column borders (the hidden columns can be opened).
  void set_column_sizing(bool on);

private:
  void sync_geometry();
  void sync_colours();

  TextGridModel model_;
  TextGridDelegate *delegate_ = nullptr;
};
