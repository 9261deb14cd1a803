#include "text_grid.h"

#include "kept_frame.h"
#include "protocol/text8.h"
#include "text_cell_delegate.h"
#include "view_changes.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QScrollBar>

#include <algorithm>
#include <cstring>

QColor grid_line_colour(QColor cell) {
  return cell.lightness() < 160 ? QColor(0xC0, 0xC0, 0xC0) : QColor(0x80, 0x80, 0x80);
}

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
  if (cols == cols_) {
    if (!user_widths_.isEmpty()) {
      user_widths_.clear();
      emit geometry_changed();
    }
    return;
  }
  user_widths_.clear();
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
  // A screen sets its shape again on every clear: only a change lays the
  // views out again.
  n = std::clamp(n, 0, rows_ - 1);
  if (n == fixed_rows_)
    return;
  fixed_rows_ = n;
  emit_all_changed();
  emit geometry_changed();
}

void TextGridModel::set_fixed_cols(int n) {
  n = std::clamp(n, 0, cols_ - 1);
  if (n == fixed_cols_)
    return;
  fixed_cols_ = n;
  emit_all_changed();
  emit geometry_changed();
}

void TextGridModel::set_default_col_width(int w) {
  w = std::max(0, w);
  if (w == default_col_width_ && user_widths_.isEmpty() &&
      std::all_of(col_widths_.begin(), col_widths_.end(), [w](int c) { return c == w; }))
    return;
  default_col_width_ = w;
  col_widths_.assign(cols_, default_col_width_);
  user_widths_.clear();
  emit geometry_changed();
}

void TextGridModel::set_default_row_height(int h) {
  h = std::max(0, h);
  if (h == default_row_height_ &&
      std::all_of(row_heights_.begin(), row_heights_.end(), [h](int r) { return r == h; }))
    return;
  default_row_height_ = h;
  row_heights_.assign(rows_, default_row_height_);
  emit geometry_changed();
}

int TextGridModel::col_width(int col) const {
  if (col < 0 || col >= cols_)
    return default_col_width_;
  if (!user_widths_.isEmpty()) {
    const auto it = user_widths_.constFind(col);
    if (it != user_widths_.constEnd())
      return *it;
  }
  return col_widths_[col];
}

int TextGridModel::row_height(int row) const {
  return row >= 0 && row < rows_ ? row_heights_[row] : default_row_height_;
}

void TextGridModel::set_col_width(int col, int w) {
  if (col < 0 || col >= cols_)
    return;
  col_widths_[col] = std::max(0, w);
  user_widths_.remove(col);
  emit col_width_changed(col);
}

void TextGridModel::set_user_col_width(int col, int w) {
  if (col < 0 || col >= cols_)
    return;
  w = std::max(0, w);
  if (col_width(col) == w && user_widths_.contains(col))
    return;
  user_widths_.insert(col, w);
  emit col_width_changed(col);
}

void TextGridModel::forget_user_widths() {
  if (user_widths_.isEmpty())
    return;
  const QList<int> cols = user_widths_.keys();
  user_widths_.clear();
  for (int col : cols)
    emit col_width_changed(col);
}

int TextGridModel::fixed_width() const {
  int w = 0;
  for (int c = 0; c < fixed_cols_; ++c)
    w += col_width(c);
  return w;
}

int TextGridModel::fixed_height() const {
  int h = 0;
  for (int r = 0; r < fixed_rows_; ++r)
    h += row_height(r);
  return h;
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
    // Into the cell's own bytes where it has room (a cell's texts are all
    // about as long), not a new array for every change.
    if (it->isDetached() && it->capacity() >= text.size()) {
      it->resize(text.size());
      std::memcpy(it->data(), text.data(), size_t(text.size()));
    } else {
      *it = text.toByteArray();
    }
  }
  if (col < cols_ && row < rows_) {
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i, text_role_);
  }
}

void TextGridModel::clear_cells() {
  forget_user_widths();
  // Walk what is stored rather than every cell of the table: the store is
  // proportional to what was written.
  // Only the cells that held text change: a table cleared before each
  // heat repaints what the heat wrote, not every empty cell it shows.
  int left = cols_, top = rows_, right = -1, bottom = -1;
  for (auto it = cells_.begin(); it != cells_.end();) {
    const int col = int(it.key() >> 16);
    const int row = int(it.key() & 0xFFFF);
    if (col < cols_ && row < rows_) {
      it = cells_.erase(it);
      left = std::min(left, col);
      right = std::max(right, col);
      top = std::min(top, row);
      bottom = std::max(bottom, row);
    } else {
      ++it;
    }
  }
  if (right >= 0)
    emit dataChanged(index(top, left), index(bottom, right), text_role_);
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
  if (font == font_)
    return;
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

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
    return {};
  if (orientation == Qt::Horizontal)
    return fixed_rows_ > 0 ? from_8bit(cell(section, 0)) : QString();
  return fixed_cols_ > 0 ? from_8bit(cell(0, section)) : QString();
}

Qt::ItemFlags TextGridModel::flags(const QModelIndex &index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

namespace {

// The table view asks the style to draw each cell's row panel before the
// delegate paints the cell, and the Fusion style works out its frame
// colours on every such call; the cell delegate fills the whole cell, so
// the panel never shows.
class NoRowPanelStyle final : public QProxyStyle {
public:
  using QProxyStyle::QProxyStyle;
  void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override {
    if (element == PE_PanelItemViewRow)
      return;
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
};

// A header that is never drawn and whose size the grid fixes: the table
// asks a visible header for its size hint on every layout, and a plain
// header measures the text of every section for it (most of the cost of a
// Packet that changes a table's shape).
class FixedSizeHeader final : public QHeaderView {
public:
  using QHeaderView::QHeaderView;
  QSize sizeHint() const override { return minimumSize(); }
};

// The rows and columns of a view that a rectangle of its viewport reaches;
// none (top or left -1) where it lies beyond the cells.
struct CellSpan {
  int top = -1, left = -1, bottom = -1, right = -1;
};

CellSpan cells_under(const QTableView *v, QRect r) {
  if (r.isEmpty())
    return {};
  CellSpan s{v->rowAt(r.top()), v->columnAt(r.left()), v->rowAt(r.bottom()),
             v->columnAt(r.right())};
  if (s.top < 0 || s.left < 0)
    return {};
  // A rectangle reaching past the last row (column) ends with it.
  if (s.bottom < 0)
    s.bottom = v->model()->rowCount() - 1;
  if (s.right < 0)
    s.right = v->model()->columnCount() - 1;
  return s;
}

// Paints the cells of a view that lie in a region, as the table view itself
// would for a grid without lines, spans, editors or moved sections, less the
// setting up it does for every cell: a table repaints dozens of cells for
// each datagram, and that setting up cost a third of painting them.
void paint_cells(QTableView *v, QAbstractItemDelegate *delegate, const QRegion &region) {
  const QAbstractItemModel *model = v->model();
  if (!model || !delegate)
    return;
  QPainter painter(v->viewport());
  QStyleOptionViewItem option;
  option.initFrom(v);
  option.widget = v;
  const QStyle::State state = option.state & ~(QStyle::State_HasFocus | QStyle::State_Selected);
  const QItemSelectionModel *selection = v->selectionModel();
  const bool any_selected = selection && selection->hasSelection();
  // A cell under two rectangles of the region is painted once.
  QSet<quint32> painted;
  const bool banded = region.rectCount() > 1;
  for (const QRect &area : region) {
    const CellSpan s = cells_under(v, area & v->viewport()->rect());
    for (int row = s.top; row >= 0 && row <= s.bottom; ++row) {
      if (v->isRowHidden(row))
        continue;
      const int y = v->rowViewportPosition(row);
      const int h = v->rowHeight(row);
      for (int col = s.left; col <= s.right; ++col) {
        const quint32 key = quint32(col) << 16 | quint32(row);
        if (v->isColumnHidden(col) || (banded && painted.contains(key)))
          continue;
        if (banded)
          painted.insert(key);
        option.rect = QRect(v->columnViewportPosition(col), y, v->columnWidth(col), h);
        const QModelIndex index = model->index(row, col);
        option.state = state;
        if (any_selected && selection->isSelected(index))
          option.state |= QStyle::State_Selected;
        delegate->paint(&painter, option, index);
      }
    }
  }
}

// Changed cells reach the grid's one handler (TextGrid::cells_changed),
// which repaints each where it is shown: every view working out the
// rectangle of every changed cell was most of the cost of setting one. A
// header shows no cell: a changed cell is none of its business, and with
// eight headers to a grid it was most of the cost of setting one.
void leave_cells_to_grid(QTableView *v) {
  if (!v->model()) // a part not yet shown: done when it gets the model
    return;
  for (QAbstractItemView *w :
       {static_cast<QAbstractItemView *>(v), static_cast<QAbstractItemView *>(v->horizontalHeader()),
        static_cast<QAbstractItemView *>(v->verticalHeader())})
    stop_view_handling_changes(w);
}

void set_up_view(QTableView *v) {
  v->setHorizontalHeader(new FixedSizeHeader(Qt::Horizontal, v));
  v->setVerticalHeader(new FixedSizeHeader(Qt::Vertical, v));
  leave_cells_to_grid(v);
  for (QHeaderView *h : {v->horizontalHeader(), v->verticalHeader()}) {
    h->hide();
    h->setMinimumSectionSize(0);
    h->setSectionResizeMode(QHeaderView::Fixed);
  }
  // Lines are drawn by the cells themselves, in a colour of their own.
  v->setShowGrid(false);
  v->setCornerButtonEnabled(false);
  v->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // A display, not an editor: no cell is picked out as current on showing.
  v->setFocusPolicy(Qt::NoFocus);
  v->setWordWrap(false);
  v->setTextElideMode(Qt::ElideNone);
  v->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

// Gives a view's headers the model's section sizes where they differ from
// their own; comparing with the header itself, not a remembered copy, heals
// whatever else resized its sections.
void sync_sections(QTableView *v, const TextGridModel &m) {
  QHeaderView *h = v->horizontalHeader();
  QHeaderView *vh = v->verticalHeader();
  // Setting a header's default resizes every one of its sections, so it is
  // set only when it changes, and then every section is given its size again.
  if (h->defaultSectionSize() != m.default_col_width())
    h->setDefaultSectionSize(m.default_col_width());
  if (vh->defaultSectionSize() != m.default_row_height())
    vh->setDefaultSectionSize(m.default_row_height());
  for (int c = 0; c < m.col_count(); ++c)
    if (h->sectionSize(c) != m.col_width(c))
      h->resizeSection(c, m.col_width(c));
  for (int r = 0; r < m.row_count(); ++r)
    if (vh->sectionSize(r) != m.row_height(r))
      vh->resizeSection(r, m.row_height(r));
}

// Item views repaint every cell on view when their window is activated or
// deactivated, for colours that may differ between the two states; the
// program brings a screen forward, and activates it, whenever a datagram for
// another screen comes. With the same colours in both, the cells would be
// painted again exactly as they are.
bool repaints_for_nothing(const QEvent *event, const QWidget *view) {
  return (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) &&
         view->palette().isEqual(QPalette::Active, QPalette::Inactive);
}

} // namespace

TextGrid::TextGrid(QWidget *parent)
    : QTableView(parent), own_model_(std::make_unique<TextGridModel>()), model_(*own_model_) {
  set_up();
}

TextGrid::TextGrid(TextGridModel &model, QWidget *parent) : QTableView(parent), model_(model) {
  set_up();
}

void TextGrid::set_up() {
  setModel(&model_);
  // One delegate serves all parts of a grid.
  delegate_ = new TextCellDelegate(
      [this](const QModelIndex &index, const QStyleOptionViewItem &) {
        const int col = index.column();
        const int row = index.row();
        const bool fixed = model_.is_fixed(col, row);
        return TextCellLook{from_8bit(model_.cell(col, row)),
                            fixed ? model_.fixed_colour() : model_.cell_colour(),
                            model_.text_colour(),
                            grid_lines_ ? line_colour_ : QColor(),
                            model_.font(),
                            fixed};
      },
      [this](const QModelIndex &index) {
        return QSize(model_.col_width(index.column()), model_.row_height(index.row()));
      },
      kKeptLayouts, kPictureBytes, this);
  setItemDelegate(delegate_);
  // A style of the application's kind of its own: a proxy owns its base.
  cell_style_ = new NoRowPanelStyle(style()->name());
  cell_style_->setParent(this);
  setStyle(cell_style_);
  set_up_view(this);
  // Every cell fills its own rectangle: the viewport fills only what lies
  // beyond the cells (see paintEvent), not every changed cell twice.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setSelectionMode(QAbstractItemView::ContiguousSelection);

  for (QScrollBar *bar : {horizontalScrollBar(), verticalScrollBar()}) {
    connect(bar, &QScrollBar::valueChanged, this, [this] { forget_asked(); });
    // A bar that paints its whole rectangle itself: one that comes, goes or
    // moves (a table that changes its shape) then repaints alone, not the
    // frame and the box behind it as well.
    bar->setAutoFillBackground(true);
    keep_bar_pictures(bar);
  }

  connect(&model_, &TextGridModel::geometry_changed, this, &TextGrid::sync_geometry);
  connect(&model_, &TextGridModel::col_width_changed, this, &TextGrid::sync_col_width);
  connect(&model_, &TextGridModel::row_height_changed, this, &TextGrid::sync_row_height);
  // New rows and columns are laid out on the geometry change that follows
  // every change of a count: laying them out on their insertion as well
  // did all of it twice.
  connect(&model_, &QAbstractItemModel::dataChanged, this, &TextGrid::cells_changed);
  sync_geometry();
  sync_colours();
}

QTableView *TextGrid::make_part(const QString &name) {
  // The model is given when the part is first shown (see show_part): a part
  // that never shows (most tables have no fixed columns) never follows the
  // changes of the table's shape.
  auto *v = new QTableView(this);
  v->setItemDelegate(delegate_);
  v->setStyle(cell_style_);
  set_up_view(v);
  v->setAccessibleName(name);
  v->setFrameShape(QFrame::NoFrame);
  v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  v->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  v->setSelectionMode(QAbstractItemView::NoSelection);
  v->setAutoScroll(false);
  v->viewport()->installEventFilter(this);
  v->hide();
  return v;
}

QTableView *TextGrid::add_part(QTableView *&part) {
  if (part)
    return part;
  part = make_part(&part == &top_    ? QStringLiteral("Headings")
                   : &part == &left_ ? QStringLiteral("Row headings")
                                     : QStringLiteral("Corner headings"));
  part->setPalette(palette());
  // The fixed parts follow the scrolling part, never the other way round:
  // they cannot scroll by themselves (see eventFilter).
  if (part == top_) {
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, top_->horizontalScrollBar(),
            &QScrollBar::setValue);
    connect(top_->horizontalScrollBar(), &QScrollBar::rangeChanged, this,
            [this] { top_->horizontalScrollBar()->setValue(horizontalScrollBar()->value()); });
  }
  if (part == left_) {
    connect(verticalScrollBar(), &QScrollBar::valueChanged, left_->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(left_->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            [this] { left_->verticalScrollBar()->setValue(verticalScrollBar()->value()); });
  }
  if (part != left_)
    part->viewport()->setMouseTracking(sizing_);
  place_parts();
  return part;
}

QList<QTableView *> TextGrid::parts() const {
  QList<QTableView *> made;
  for (QTableView *p : {top_, left_, corner_})
    if (p)
      made.append(p);
  return made;
}

void TextGrid::set_scroll_bars(Qt::ScrollBarPolicy horizontal, Qt::ScrollBarPolicy vertical) {
  setHorizontalScrollBarPolicy(horizontal);
  setVerticalScrollBarPolicy(vertical);
}

void TextGrid::set_grid_lines(bool on) {
  grid_lines_ = on;
  viewport()->update();
  for (QTableView *p : parts())
    p->viewport()->update();
}

void TextGrid::set_column_sizing(bool on) {
  sizing_ = on;
  drag_.col = -1;
  for (QTableView *p : {top_, corner_}) {
    if (!p)
      continue;
    p->viewport()->setMouseTracking(on);
    p->viewport()->unsetCursor();
  }
}

void TextGrid::sync_geometry() {
  forget_asked();
  sync_sections(this, model_);
  // Parts out of sight are brought up to date when they are shown.
  for (QTableView *p : parts())
    if (!p->isHidden())
      sync_sections(p, model_);
  sync_fixed();
}

void TextGrid::sync_fixed() {
  const int fixed_rows = model_.fixed_rows();
  const int fixed_cols = model_.fixed_cols();
  bool changed = fixed_rows != hidden_rows_ || fixed_cols != hidden_cols_;
  // The scrolling part hides the fixed sections; the fixed parts show them.
  for (int r = 0; r < std::max(fixed_rows, hidden_rows_) && r < model_.row_count(); ++r) {
    setRowHidden(r, r < fixed_rows);
    if (left_ && left_->model() == &model_)
      left_->setRowHidden(r, r < fixed_rows);
  }
  hidden_rows_ = fixed_rows;
  for (int c = 0; c < std::max(fixed_cols, hidden_cols_) && c < model_.col_count(); ++c) {
    setColumnHidden(c, c < fixed_cols);
    if (top_ && top_->model() == &model_)
      top_->setColumnHidden(c, c < fixed_cols);
  }
  hidden_cols_ = fixed_cols;
  // The table's own header areas keep the fixed parts' places free; the
  // parts lie over them.
  QHeaderView *const h = horizontalHeader();
  QHeaderView *const v = verticalHeader();
  const int height = model_.fixed_height();
  const int width = model_.fixed_width();
  changed = changed || h->minimumHeight() != height || h->maximumHeight() != height ||
            v->minimumWidth() != width || v->maximumWidth() != width;
  h->setFixedHeight(height);
  v->setFixedWidth(width);
  const auto set_shown = [this, &changed](QWidget *w, bool shown) {
    if (w->isHidden() != shown)
      return;
    changed = true;
    if (auto *part = qobject_cast<QTableView *>(w); part && shown)
      show_part(part);
    w->setVisible(shown);
  };
  set_shown(h, fixed_rows > 0);
  set_shown(v, fixed_cols > 0);
  // A part is made the first time it shows.
  const auto set_part_shown = [this, &set_shown](QTableView *&part, bool shown) {
    if (part || shown)
      set_shown(add_part(part), shown);
  };
  set_part_shown(top_, fixed_rows > 0);
  set_part_shown(left_, fixed_cols > 0);
  set_part_shown(corner_, fixed_rows > 0 && fixed_cols > 0);
  // A change of the counts or widths alone is laid out by the table itself.
  if (changed)
    updateGeometries();
}

void TextGrid::sync_col_width(int col) {
  forget_asked();
  const int w = model_.col_width(col);
  horizontalHeader()->resizeSection(col, w);
  // Parts out of sight are brought up to date when they are shown.
  for (QTableView *p : parts())
    if (!p->isHidden())
      p->horizontalHeader()->resizeSection(col, w);
  if (col < model_.fixed_cols()) {
    verticalHeader()->setFixedWidth(model_.fixed_width());
    updateGeometries();
  }
}

void TextGrid::sync_row_height(int row) {
  forget_asked();
  const int h = model_.row_height(row);
  verticalHeader()->resizeSection(row, h);
  for (QTableView *p : parts())
    if (!p->isHidden())
      p->verticalHeader()->resizeSection(row, h);
  if (row < model_.fixed_rows()) {
    horizontalHeader()->setFixedHeight(model_.fixed_height());
    updateGeometries();
  }
}

void TextGrid::show_part(QTableView *part) {
  if (part->model() != &model_) {
    part->setModel(&model_);
    leave_cells_to_grid(part);
    // The heading row hides the fixed columns, the heading column the
    // fixed rows, as the scrolling part does.
    if (part == top_)
      for (int c = 0; c < model_.fixed_cols(); ++c)
        part->setColumnHidden(c, true);
    if (part == left_)
      for (int r = 0; r < model_.fixed_rows(); ++r)
        part->setRowHidden(r, true);
  }
  sync_sections(part, model_);
}

QTableView *TextGrid::part_showing(int col, int row) const {
  // The scrolling part hides the fixed rows and columns, the heading row the
  // fixed columns, the heading column the fixed rows; the corner is only as
  // large as the fixed cells.
  const bool fixed_row = row < model_.fixed_rows();
  const bool fixed_col = col < model_.fixed_cols();
  if (fixed_row && fixed_col)
    return corner_;
  if (fixed_row)
    return top_;
  if (fixed_col)
    return left_;
  return const_cast<TextGrid *>(this);
}

void TextGrid::cells_changed(const QModelIndex &top_left, const QModelIndex &bottom_right,
                             const QList<int> &roles) {
  // Only a change of colours or font comes without roles.
  if (roles.isEmpty())
    sync_colours();
  const QTableView *const views[] = {this, top_, left_, corner_};
  // A screen reader hears of the change through each view's own handling.
  if (QAccessible::isActive()) {
    for (const QTableView *v : views)
      if (v && v->model() == &model_)
        pass_change_to_view(const_cast<QTableView *>(v), top_left, bottom_right, roles);
    return;
  }
  // A few cells (a cleared heat) are asked for one by one; a change of
  // colours or font, or of a great many cells, repaints every part whole.
  constexpr qint64 kCellsOneByOne = 256;
  const qint64 cells = top_left.isValid() ? qint64(bottom_right.row() - top_left.row() + 1) *
                                                qint64(bottom_right.column() - top_left.column() + 1)
                                          : 0;
  if (roles.isEmpty() || cells <= 0 || cells > kCellsOneByOne) {
    forget_asked();
    for (const QTableView *v : views)
      if (v && v->isVisible())
        v->viewport()->update();
    return;
  }
  for (int row = top_left.row(); row <= bottom_right.row(); ++row)
    for (int col = top_left.column(); col <= bottom_right.column(); ++col)
      ask_repaint(col, row);
}

void TextGrid::ask_repaint(int col, int row) {
  // The cell's rectangle from the part's headers: asking the part for it
  // would first lay out what a change of the counts left to lay out, which
  // repaints the whole part anyway.
  QTableView *v = part_showing(col, row);
  if (!v || !v->isVisible() || v->isColumnHidden(col) || v->isRowHidden(row))
    return;
  // A cell that changes many times between two repaints asks once.
  const quint32 key = quint32(col) << 16 | quint32(row);
  if (asked_.contains(key))
    return;
  const QRect cell(v->columnViewportPosition(col), v->rowViewportPosition(row),
                   v->columnWidth(col), v->rowHeight(row));
  if (!cell.intersects(v->viewport()->rect()))
    return;
  v->viewport()->update(cell);
  asked_.insert(key);
}

void TextGrid::forget_asked(const QEvent *event) {
  // Painted, or shown or hidden (a picture then is painted whole), the
  // cells asked for are repainted or will be; scrolling and sizing move
  // them away from the rectangles asked for.
  if (!event || event->type() == QEvent::Paint || event->type() == QEvent::Show ||
      event->type() == QEvent::Hide)
    asked_.clear();
}

void TextGrid::updateGeometries() {
  forget_asked();
  QTableView::updateGeometries();
  place_parts();
}

void TextGrid::paintEvent(QPaintEvent *event) {
  const QHeaderView *h = horizontalHeader();
  const QHeaderView *v = verticalHeader();
  const QRegion bare =
      event->region() - QRect(-h->offset(), -v->offset(), h->length(), v->length());
  if (!bare.isEmpty()) {
    QPainter painter(viewport());
    for (const QRect &r : bare)
      painter.fillRect(r, viewport()->palette().brush(viewport()->backgroundRole()));
  }
  paint_cells(this, delegate_, event->region());
}

void TextGrid::place_parts() {
  const QRect vp = viewport()->geometry();
  const int h = model_.fixed_rows() > 0 ? model_.fixed_height() : 0;
  const int w = model_.fixed_cols() > 0 ? model_.fixed_width() : 0;
  if (top_) {
    top_->setGeometry(vp.left(), vp.top() - h, vp.width(), h);
    top_->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
  }
  if (left_) {
    left_->setGeometry(vp.left() - w, vp.top(), w, vp.height());
    left_->verticalScrollBar()->setValue(verticalScrollBar()->value());
  }
  if (corner_)
    corner_->setGeometry(vp.left() - w, vp.top() - h, w, h);
}

void TextGrid::sync_colours() {
  line_colour_ = grid_line_colour(model_.cell_colour());
  QPalette p = palette();
  p.setColor(QPalette::Base, model_.cell_colour());
  p.setColor(QPalette::Window, model_.cell_colour());
  p.setColor(QPalette::Text, model_.text_colour());
  setPalette(p);
  for (QTableView *part : parts())
    part->setPalette(p);
  if (font() != model_.font()) {
    setFont(model_.font());
    delegate_->forget_layouts();
  }
}

QModelIndex TextGrid::cell_at(QPoint pos) const {
  for (QTableView *p : {corner_, top_, left_}) {
    if (p && !p->isHidden() && p->geometry().contains(pos))
      return p->indexAt(p->viewport()->mapFrom(this, pos));
  }
  if (viewport()->geometry().contains(pos))
    return indexAt(viewport()->mapFrom(this, pos));
  return {};
}

int TextGrid::shown_col_width(int col) const {
  return col < model_.fixed_cols() && left_ ? left_->columnWidth(col) : columnWidth(col);
}

int TextGrid::shown_row_height(int row) const {
  return row < model_.fixed_rows() && top_ ? top_->rowHeight(row) : rowHeight(row);
}

int TextGrid::right_edge(int col) const {
  if (col < model_.fixed_cols() && corner_)
    return corner_->x() + corner_->columnViewportPosition(col) + corner_->columnWidth(col);
  return viewport()->x() + columnViewportPosition(col) + columnWidth(col);
}

int TextGrid::border_at(QPoint pos) const {
  if (!sizing_ || model_.fixed_rows() == 0 || !top_ || top_->isHidden())
    return -1;
  if (pos.y() < top_->y() || pos.y() >= top_->y() + top_->height())
    return -1;
  const int fixed_cols = model_.fixed_cols();
  const int far_right = viewport()->geometry().right() + kGrip;
  int best = -1;
  int best_distance = kGrip + 1;
  int best_edge = 0;
  for (int c = 0; c < model_.col_count(); ++c) {
    // A scrolling column that lies wholly under the fixed columns is out of reach.
    if (c >= fixed_cols && columnViewportPosition(c) + columnWidth(c) < 0)
      continue;
    const int edge = right_edge(c);
    if (c >= fixed_cols && edge - columnWidth(c) > far_right)
      break;
    const int distance = std::abs(pos.x() - edge);
    if (distance > kGrip)
      continue;
    // Where columns of no width share a border, a press left of it takes
    // the visible column, one on it or right of it the last hidden one, so
    // hidden columns open one after another.
    const bool nearer = distance < best_distance;
    const bool later_on_same_border = best >= 0 && edge == best_edge && pos.x() >= edge;
    if (nearer || later_on_same_border) {
      best = c;
      best_distance = distance;
      best_edge = edge;
    }
  }
  return best;
}

bool TextGrid::size_column(QWidget *part_viewport, QEvent *event) {
  const auto *mouse = static_cast<QMouseEvent *>(event);
  const QPoint pos = part_viewport->mapTo(this, mouse->position().toPoint());
  switch (event->type()) {
  case QEvent::MouseButtonPress: {
    const int col = mouse->button() == Qt::LeftButton ? border_at(pos) : -1;
    if (col < 0)
      return false;
    drag_ = {col, pos.x(), model_.col_width(col)};
    return true;
  }
  case QEvent::MouseMove:
    if (drag_.col >= 0) {
      model_.set_user_col_width(drag_.col, drag_.start_width + pos.x() - drag_.start_x);
      return true;
    }
    if (border_at(pos) >= 0)
      part_viewport->setCursor(Qt::SplitHCursor);
    else
      part_viewport->unsetCursor();
    return false;
  case QEvent::MouseButtonRelease:
    if (drag_.col < 0)
      return false;
    drag_.col = -1;
    return true;
  default:
    return false;
  }
}

bool TextGrid::viewportEvent(QEvent *event) {
  forget_asked(event);
  // Not handled here: the viewport's own handling still runs.
  if (repaints_for_nothing(event, this))
    return false;
  return QTableView::viewportEvent(event);
}

bool TextGrid::eventFilter(QObject *watched, QEvent *event) {
  QWidget *part_viewport = nullptr;
  for (QTableView *p : {top_, left_, corner_})
    if (p && watched == p->viewport())
      part_viewport = p->viewport();
  if (!part_viewport)
    return QTableView::eventFilter(watched, event);
  forget_asked(event);
  // A part's viewport has no children to pass the event on to.
  if (repaints_for_nothing(event, part_viewport->parentWidget()))
    return true;
  if (event->type() == QEvent::Paint) {
    paint_cells(static_cast<QTableView *>(part_viewport->parentWidget()), delegate_,
                static_cast<QPaintEvent *>(event)->region());
    return true;
  }
  switch (event->type()) {
  case QEvent::Wheel:
    // The fixed parts never scroll by themselves: the wheel scrolls the table.
    QCoreApplication::sendEvent(viewport(), event);
    return true;
  case QEvent::MouseButtonPress:
  case QEvent::MouseMove:
  case QEvent::MouseButtonRelease:
    if (sizing_ && size_column(part_viewport, event))
      return true;
    // Presses would make a heading current and scroll its part alone.
    return event->type() != QEvent::MouseMove;
  case QEvent::MouseButtonDblClick:
    return true;
  default:
    return false;
  }
}
