#include "packet_log.h"

#include "protocol/text8.h"
#include "toolkit/text_cell_delegate.h"

#include <QAccessible>

#include <algorithm>
#include <utility>

PacketLog::PacketLog(QObject *parent) : QAbstractListModel(parent) {}

bool PacketLog::add_line(QByteArray line) {
  if (lines_.size() < kMaxLines) {
    const int row = int(lines_.size());
    beginInsertRows({}, row, row);
    lines_.append(std::move(line));
    endInsertRows();
    return false;
  }
  // A full log keeps its 30 rows and every line moves up one: the view only
  // repaints, where a row inserted and a row removed would lay it out again
  // for every datagram.
  lines_.removeFirst();
  lines_.append(std::move(line));
  emit moved_up();
  emit dataChanged(index(0), index(int(lines_.size()) - 1), text_roles_);
  return true;
}

void PacketLog::clear() {
  if (lines_.isEmpty())
    return;
  beginResetModel();
  lines_.clear();
  endResetModel();
}

void PacketLog::set_colours(QColor background, QColor text) {
  background_ = background;
  text_ = text;
  if (!lines_.isEmpty())
    emit dataChanged(index(0), index(int(lines_.size()) - 1));
}

QStringList PacketLog::lines() const {
  QStringList out;
  out.reserve(lines_.size());
  for (const QByteArray &line : lines_)
    out.append(from_8bit(line));
  return out;
}

int PacketLog::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(lines_.size());
}

QVariant PacketLog::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= lines_.size())
    return {};
  switch (role) {
  case Qt::DisplayRole:
  case Qt::AccessibleTextRole:
    return from_8bit(lines_.at(index.row()));
  case Qt::BackgroundRole:
    return background_;
  case Qt::ForegroundRole:
    return text_;
  case Qt::SizeHintRole:
    // Lines 13 pixels high; a 2500-pixel extent for the horizontal scroll bar.
    return QSize(2500, 13);
  default:
    return {};
  }
}

PacketLogView::PacketLogView(QWidget *parent) : QListView(parent) {
  // Lines move up one row with every datagram: each line's layout is kept
  // while it is in the log (twice its length: the lines on view stay, older
  // ones go), so a repaint lays out only the lines that came since the last.
  setItemDelegate(new TextCellDelegate(
      [](const QModelIndex &index, const QStyleOptionViewItem &option) {
        return TextCellLook{index.data(Qt::DisplayRole).toString(),
                            index.data(Qt::BackgroundRole).value<QColor>(),
                            index.data(Qt::ForegroundRole).value<QColor>(), QColor(),
                            option.font};
      },
      [](const QModelIndex &index) { return index.data(Qt::SizeHintRole).toSize(); },
      2 * PacketLog::kMaxLines + 8, 0, this));
}

void PacketLogView::setModel(QAbstractItemModel *model) {
  if (auto *old = qobject_cast<PacketLog *>(this->model()))
    disconnect(old, &PacketLog::moved_up, this, nullptr);
  QListView::setModel(model);
  moved_up_ = false;
  rows_to_move_ = 0;
  if (auto *log = qobject_cast<PacketLog *>(model))
    connect(log, &PacketLog::moved_up, this, [this] { moved_up_ = true; });
}

bool PacketLogView::can_move_picture() const {
  // A selected row stays where it is while the lines move (the current row
  // is not drawn apart).
  return !QAccessible::isActive() && !selectionModel()->hasSelection() &&
         model()->rowCount() > 0;
}

void PacketLogView::reset() {
  rows_to_move_ = 0;
  QListView::reset();
}

void PacketLogView::dataChanged(const QModelIndex &top_left, const QModelIndex &bottom_right,
                                const QList<int> &roles) {
  const bool moved_up = std::exchange(moved_up_, false);
  if (moved_up && can_move_picture() && isVisible()) {
    // Lines that moved up again before the picture moved: its move and the
    // repaint are asked for already.
    if (rows_to_move_++ > 0)
      return;
    // The window's update request (after the frame pacer lets it through)
    // and an exposure of the window come here first, so the picture moves
    // right before it is painted or shown.
    watch_window();
    // Asks for the repaint with a mark that is always on view and that the
    // picture's move takes out of it, so it costs no painting: the top line
    // of pixels.
    viewport()->update(QRect(0, 0, viewport()->width(), 1));
    return;
  }
  if (rows_to_move_ > 0)
    paint_all();
  // The item view's own handling works out every changed row's rectangle
  // and tells a screen reader; without one listening, the rows on view are
  // simply repainted.
  if (QAccessible::isActive())
    QAbstractItemView::dataChanged(top_left, bottom_right, roles);
  else
    viewport()->update();
}

void PacketLogView::watch_window() {
  if (watched_window_ != window()) {
    if (watched_window_)
      watched_window_->removeEventFilter(this);
    watched_window_ = window();
    watched_window_->installEventFilter(this);
  }
  QWindow *handle = watched_window_->windowHandle();
  if (watched_handle_ != handle) {
    if (watched_handle_)
      watched_handle_->removeEventFilter(this);
    watched_handle_ = handle;
    if (handle)
      handle->installEventFilter(this);
  }
}

bool PacketLogView::eventFilter(QObject *watched, QEvent *event) {
  if ((watched == watched_window_ && event->type() == QEvent::UpdateRequest) ||
      (watched == watched_handle_ && event->type() == QEvent::Expose))
    move_picture();
  return QListView::eventFilter(watched, event);
}

bool PacketLogView::viewportEvent(QEvent *event) {
  // A paint that came neither through the window's update request nor its
  // exposure found the picture not yet moved: what it did not paint is out
  // of date, so all of it is painted next.
  if (event->type() == QEvent::Paint && rows_to_move_ > 0)
    paint_all();
  return QListView::viewportEvent(event);
}

void PacketLogView::paint_all() {
  rows_to_move_ = 0;
  viewport()->update();
}

void PacketLogView::move_picture() {
  if (rows_to_move_ == 0)
    return;
  const int rows = model() ? model()->rowCount() : 0;
  const int row_height = rows > 0 ? visualRect(model()->index(0, 0)).height() : 0;
  const int by = rows_to_move_ * row_height;
  if (!isVisible() || !can_move_picture() || row_height <= 0 || by >= viewport()->height()) {
    paint_all();
    return;
  }
  // Qt moves the pixels and repaints the strip that comes into view; the
  // new last lines are painted too, as the view may end below them.
  const int moved = std::min(std::exchange(rows_to_move_, 0), rows);
  viewport()->scroll(0, -by);
  for (int row = rows - moved; row < rows; ++row)
    viewport()->update(visualRect(model()->index(row, 0)));
}
