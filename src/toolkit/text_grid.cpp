#include "text_grid.h"

#include "protocol/text8.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QPainter>
#include <QPalette>
#include <QStaticText>

#include <algorithm>

// Draws a cell as the screens' tables always looked: its background, then
// its text from two pixels in, cut at the cell's edge (never shortened with
// an ellipsis). The laid-out text of each distinct cell value is kept, so a
// repaint does not shape the same names and times again; the general item
// delegate costs several times more per cell than the change that caused it.
class TextGridDelegate final : public QAbstractItemDelegate {
public:
  TextGridDelegate(const TextGridModel &model, QObject *parent)
      : QAbstractItemDelegate(parent), model_(model) {}

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override {
    const int col = index.column();
    const int row = index.row();
    const bool selected = option.state & QStyle::State_Selected;
    const QRect r = option.rect;
    painter->fillRect(r, selected ? option.palette.color(QPalette::Highlight)
                                  : model_.is_fixed(col, row) ? model_.fixed_colour()
                                                              : model_.cell_colour());
    const QByteArray text = model_.cell(col, row);
    if (text.isEmpty())
      return;
    const QStaticText &laid = laid_out(text);
    const QRect inner = r.adjusted(2, 0, -2, 0);
    if (inner.width() <= 0)
      return;
    const QFontMetrics metrics(model_.font());
    const QPoint at(inner.left(), inner.top() + (inner.height() - metrics.height()) / 2);
    painter->save();
    painter->setFont(model_.font());
    painter->setPen(selected ? option.palette.color(QPalette::HighlightedText)
                             : model_.text_colour());
    if (laid.size().width() > inner.width() || metrics.height() > inner.height())
      painter->setClipRect(inner, Qt::IntersectClip);
    painter->drawStaticText(at, laid);
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const override {
    return {model_.col_width(index.column()), model_.row_height(index.row())};
  }

  void forget_layouts() { cache_.clear(); }

private:
  static constexpr qsizetype kMaxCached = 4096;

  const QStaticText &laid_out(const QByteArray &text) const {
    auto it = cache_.find(text);
    if (it != cache_.end())
      return *it;
    if (cache_.size() >= kMaxCached)
      cache_.clear();
    QStaticText laid(from_8bit(text));
    laid.setTextFormat(Qt::PlainText);
    laid.setPerformanceHint(QStaticText::AggressiveCaching);
    laid.prepare(QTransform(), model_.font());
    return *cache_.insert(text, laid);
  }

  const TextGridModel &model_;
  mutable QHash<QByteArray, QStaticText> cache_;
};

TextGridModel::TextGridModel(QObject *parent) : QAbstractTableModel(parent) {
  col_widths_.assign(cols_, default_col_width_);
  row_heights_.assign(rows_, default_row_height_);
}

int TextGridModel::clamp_count(int n) { return std::clamp(n, 1, kMaxCount); }

void TextGridModel::set_row_count(int rows) {
  rows = clamp_count(rows);
  if (rows == rows_)
    return;
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    row_heights_.resize(rows_, default_row_height_);
    endInsertRows();
  } else {
    beginRemoveRows({}, rows, rows_ - 1);
    rows_ = rows;
    row_heights_.resize(rows_);
    endRemoveRows();
  }
  if (fixed_rows_ >= rows_)
    fixed_rows_ = rows_ - 1;
  emit geometry_changed();
}

void TextGridModel::set_col_count(int cols) {
  cols = clamp_count(cols);
  if (cols == cols_)
    return;
  if (cols > cols_) {
    beginInsertColumns({}, cols_, cols - 1);
    cols_ = cols;
    col_widths_.resize(cols_, default_col_width_);
    endInsertColumns();
  } else {
    beginRemoveColumns({}, cols, cols_ - 1);
    cols_ = cols;
    col_widths_.resize(cols_);
    endRemoveColumns();
  }
  if (fixed_cols_ >= cols_)
    fixed_cols_ = cols_ - 1;
  emit geometry_changed();
}

void TextGridModel::set_fixed_rows(int n) {
  fixed_rows_ = std::clamp(n, 0, rows_ - 1);
  emit_all_changed();
  emit geometry_changed();
}

void TextGridModel::set_fixed_cols(int n) {
  fixed_cols_ = std::clamp(n, 0, cols_ - 1);
  emit_all_changed();
  emit geometry_changed();
}

void TextGridModel::set_default_col_width(int w) {
  default_col_width_ = std::max(0, w);
  col_widths_.assign(cols_, default_col_width_);
  emit geometry_changed();
}

void TextGridModel::set_default_row_height(int h) {
  default_row_height_ = std::max(0, h);
  row_heights_.assign(rows_, default_row_height_);
  emit geometry_changed();
}

int TextGridModel::col_width(int col) const {
  return col >= 0 && col < cols_ ? col_widths_[col] : default_col_width_;
}

int TextGridModel::row_height(int row) const {
  return row >= 0 && row < rows_ ? row_heights_[row] : default_row_height_;
}

void TextGridModel::set_col_width(int col, int w) {
  if (col < 0 || col >= cols_)
    return;
  col_widths_[col] = std::max(0, w);
  emit col_width_changed(col);
}

void TextGridModel::set_row_height(int row, int h) {
  if (row < 0 || row >= rows_)
    return;
  row_heights_[row] = std::max(0, h);
  emit row_height_changed(row);
}

QByteArray TextGridModel::cell(int col, int row) const {
  if (col < 0 || row < 0 || col >= kMaxCount || row >= kMaxCount)
    return {};
  return cells_.value(key(col, row));
}

void TextGridModel::set_cell(int col, int row, QByteArrayView text) {
  if (col < 0 || row < 0 || col >= kMaxCount || row >= kMaxCount)
    return;
  const quint32 k = key(col, row);
  auto it = cells_.find(k);
  if (text.isEmpty()) {
    if (it == cells_.end())
      return;
    cells_.erase(it);
  } else if (it == cells_.end()) {
    cells_.insert(k, text.toByteArray());
  } else {
    // Most datagrams repeat what a cell already shows: compare before copying.
    if (*it == text)
      return;
    *it = text.toByteArray();
  }
  if (col < cols_ && row < rows_) {
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i, {Qt::DisplayRole});
  }
}

void TextGridModel::clear_cells() {
  // Walk what is stored rather than every cell of the table: the store is
  // proportional to what was written.
  bool changed = false;
  for (auto it = cells_.begin(); it != cells_.end();) {
    const int col = int(it.key() >> 16);
    const int row = int(it.key() & 0xFFFF);
    if (col < cols_ && row < rows_) {
      it = cells_.erase(it);
      changed = true;
    } else {
      ++it;
    }
  }
  if (changed && rows_ > 0 && cols_ > 0)
    emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1), {Qt::DisplayRole});
}

void TextGridModel::clear_row(int row) {
  if (row < 0 || row >= rows_)
    return;
  for (int col = 0; col < cols_; ++col)
    set_cell(col, row, {});
}

void TextGridModel::set_colours(QColor cell, QColor text, QColor fixed) {
  cell_colour_ = cell;
  text_colour_ = text;
  fixed_colour_ = fixed;
  emit_all_changed();
}

void TextGridModel::set_screen_colours(const ScreenColours &c) {
  set_colours(colour_from_bgr(c.background), colour_from_bgr(c.text), colour_from_bgr(c.fixed));
}

void TextGridModel::set_font(const QFont &font) {
  font_ = font;
  emit_all_changed();
}

void TextGridModel::emit_all_changed() {
  if (rows_ > 0 && cols_ > 0)
    emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
}

int TextGridModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : rows_;
}

int TextGridModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : cols_;
}

QVariant TextGridModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid())
    return {};
  const int col = index.column();
  const int row = index.row();
  switch (role) {
  case Qt::DisplayRole:
  case Qt::AccessibleTextRole:
    return from_8bit(cell(col, row));
  case Qt::BackgroundRole:
    return is_fixed(col, row) ? fixed_colour_ : cell_colour_;
  case Qt::ForegroundRole:
    return text_colour_;
  case Qt::FontRole:
    return font_;
  case Qt::TextAlignmentRole:
    return int(Qt::AlignLeft | Qt::AlignVCenter);
  default:
    return {};
  }
}

Qt::ItemFlags TextGridModel::flags(const QModelIndex &index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

TextGrid::TextGrid(QWidget *parent) : QTableView(parent) {
  setModel(&model_);
  delegate_ = new TextGridDelegate(model_, this);
  setItemDelegate(delegate_);
  horizontalHeader()->hide();
  verticalHeader()->hide();
  horizontalHeader()->setMinimumSectionSize(0);
  verticalHeader()->setMinimumSectionSize(0);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // A display, not an editor: no cell is picked out as current on showing.
  setFocusPolicy(Qt::NoFocus);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  connect(&model_, &TextGridModel::geometry_changed, this, &TextGrid::sync_geometry);
  connect(&model_, &TextGridModel::col_width_changed, this,
          [this](int c) { horizontalHeader()->resizeSection(c, model_.col_width(c)); });
  connect(&model_, &TextGridModel::row_height_changed, this,
          [this](int r) { verticalHeader()->resizeSection(r, model_.row_height(r)); });
  connect(&model_, &QAbstractItemModel::rowsInserted, this, &TextGrid::sync_geometry);
  connect(&model_, &QAbstractItemModel::columnsInserted, this, &TextGrid::sync_geometry);
  connect(&model_, &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
            if (roles.isEmpty())
              sync_colours();
          });
  sync_geometry();
  sync_colours();
}

void TextGrid::set_scroll_bars(Qt::ScrollBarPolicy horizontal, Qt::ScrollBarPolicy vertical) {
  setHorizontalScrollBarPolicy(horizontal);
  setVerticalScrollBarPolicy(vertical);
}

void TextGrid::set_column_sizing(bool on) {
  horizontalHeader()->setSectionResizeMode(on ? QHeaderView::Interactive : QHeaderView::Fixed);
}

namespace {

// Gives the header the model's section sizes where they differ from its own;
// comparing with the header itself, not a remembered copy, heals whatever
// else resized its sections.
template <typename SizeOf> void sync_sections(QHeaderView *header, int count, SizeOf size_of) {
  for (int i = 0; i < count; ++i) {
    const int want = size_of(i);
    if (header->sectionSize(i) != want)
      header->resizeSection(i, want);
  }
}

} // namespace

void TextGrid::sync_geometry() {
  QHeaderView *h = horizontalHeader();
  QHeaderView *v = verticalHeader();
  // Setting a header's default resizes every one of its sections, so it is
  // set only when it changes, and then every section is given its size again.
  if (h->defaultSectionSize() != model_.default_col_width()) {
    h->setDefaultSectionSize(model_.default_col_width());
  }
  if (v->defaultSectionSize() != model_.default_row_height()) {
    v->setDefaultSectionSize(model_.default_row_height());
  }
  sync_sections(h, model_.col_count(), [this](int c) { return model_.col_width(c); });
  sync_sections(v, model_.row_count(), [this](int r) { return model_.row_height(r); });
}

void TextGrid::sync_colours() {
  QPalette p = palette();
  p.setColor(QPalette::Base, model_.cell_colour());
  p.setColor(QPalette::Window, model_.cell_colour());
  p.setColor(QPalette::Text, model_.text_colour());
  setPalette(p);
  if (font() != model_.font()) {
    setFont(model_.font());
    delegate_->forget_layouts();
  }
}
