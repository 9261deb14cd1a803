#include "feed_badge.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QTableView>
#include <QEvent>
#include <QLabel>

#include <algorithm>

namespace {

constexpr int kEdge = 6; // from the window's edges
constexpr int kGap = 4;  // from anything it keeps off
constexpr int kStep = 4; // the places tried lie on this grid

bool overlaps_any(QRect r, const QList<QRect> &obstacles) {
  return std::any_of(obstacles.begin(), obstacles.end(),
                     [&](QRect o) { return o.intersects(r); });
}

// The free place nearest the top-right corner (steps to the left plus steps
// down); the search stops once no nearer place can remain.
std::optional<QRect> free_place(QRect area, QSize badge, const QList<QRect> &obstacles) {
  std::optional<QRect> best;
  int best_distance = 0;
  const int right_x = area.right() + 1 - badge.width();
  for (int y = area.top(); y + badge.height() <= area.bottom() + 1; y += kStep) {
    const int down = y - area.top();
    if (best && down >= best_distance)
      break;
    for (int x = right_x; x >= area.left(); x -= kStep) {
      const int distance = down + (right_x - x);
      if (best && distance >= best_distance)
        break;
      const QRect r(QPoint(x, y), badge);
      if (overlaps_any(r, obstacles))
        continue;
      best = r;
      best_distance = distance;
      break;
    }
  }
  return best;
}

QList<QRect> with_gap(const QList<QRect> &rects) {
  QList<QRect> out;
  out.reserve(rects.size());
  for (QRect r : rects)
    if (!r.isEmpty())
      out.append(r.adjusted(-kGap, -kGap, kGap, kGap));
  return out;
}

// The cells a view shows, in its viewport's coordinates.
QRect shown_cells(const QAbstractItemView &view) {
  // A table may hide its first rows or columns (frozen headings are drawn by
  // views laid over it), so its corner cells say nothing; its headers know
  // the extent of what is shown.
  if (const auto *table = qobject_cast<const QTableView *>(&view)) {
    const QHeaderView *h = table->horizontalHeader();
    const QHeaderView *v = table->verticalHeader();
    return QRect(-h->offset(), -v->offset(), h->length(), v->length()) & view.viewport()->rect();
  }
  const QAbstractItemModel *model = view.model();
  if (!model)
    return {};
  const QModelIndex root = view.rootIndex();
  const int rows = model->rowCount(root);
  const int cols = model->columnCount(root);
  if (rows <= 0 || cols <= 0)
    return {};
  const QRect first = view.visualRect(model->index(0, 0, root));
  const QRect last = view.visualRect(model->index(rows - 1, cols - 1, root));
  return first.united(last) & view.viewport()->rect();
}

} // namespace

QString no_data_text(qint64 seconds) {
  seconds = std::max<qint64>(seconds, 0);
  return QStringLiteral("NO DATA %1:%2")
      .arg(seconds / 60)
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

std::optional<QRect> badge_place(QRect area, QSize badge, const QList<QRect> &must_clear,
                                 const QList<QRect> &prefer_clear) {
  const QList<QRect> must = with_gap(must_clear);
  if (const std::optional<QRect> r = free_place(area, badge, must + with_gap(prefer_clear)))
    return r;
  return free_place(area, badge, must);
}

QRect covered_area(const QWidget *widget, const QWidget *window) {
  if (!widget || !widget->isVisibleTo(window))
    return {};
  QRect local = widget->rect();
  if (const auto *view = qobject_cast<const QAbstractItemView *>(widget)) {
    local = shown_cells(*view);
    if (local.isEmpty())
      return {};
    local.translate(view->viewport()->mapTo(widget, QPoint(0, 0)));
    // Frozen headings sit in the margins above and left of the viewport.
    if (qobject_cast<const QTableView *>(widget))
      local.setTopLeft(QPoint(std::min(view->contentsRect().left(), local.left()),
                              std::min(view->contentsRect().top(), local.top())));
  }
  return QRect(widget->mapTo(window, local.topLeft()), local.size());
}

FeedBadge::FeedBadge(QWidget *window) : window_(window) {
  label_ = new QLabel(window);
  label_->setTextFormat(Qt::PlainText);
  label_->setAlignment(Qt::AlignCenter);
  QFont f = label_->font();
  f.setPixelSize(18);
  f.setBold(true);
  label_->setFont(f);
  label_->setStyleSheet(QStringLiteral(
      "color: #FFFFFF; background: #C00000; border: 2px solid #FFFFFF; padding: 1px 8px;"));
  label_->hide();
  window->installEventFilter(this);
}

void FeedBadge::keep_clear(const QList<QWidget *> &widgets) {
  for (QWidget *w : widgets)
    keep_clear_.append(w);
}

void FeedBadge::show_silence(std::optional<qint64> seconds) {
  shown_ = seconds.has_value();
  if (!shown_) {
    label_->hide();
    return;
  }
  const QString text = no_data_text(*seconds);
  if (label_->text() != text)
    label_->setText(text);
  place();
  label_->show();
  label_->raise();
}

bool FeedBadge::eventFilter(QObject *watched, QEvent *event) {
  // The window lays its children out in its own resize handler, after this
  // filter: place the badge once that is done.
  if (watched == window_ && shown_ &&
      (event->type() == QEvent::Resize || event->type() == QEvent::Show))
    QMetaObject::invokeMethod(
        this, [this] { if (shown_) place(); }, Qt::QueuedConnection);
  return QObject::eventFilter(watched, event);
}

void FeedBadge::place() {
  // Larger on a larger window: it must be seen from the commentary box.
  const int pixels = std::clamp(window_->height() / 40, 18, 48);
  if (label_->font().pixelSize() != pixels) {
    QFont f = label_->font();
    f.setPixelSize(pixels);
    label_->setFont(f);
  }
  const QSize size = label_->sizeHint();
  const QRect area = window_->rect().adjusted(kEdge, kEdge, -kEdge, -kEdge);
  QList<QRect> must;
  for (const QPointer<QWidget> &w : keep_clear_)
    must.append(covered_area(w, window_));
  // Logos, frames and boxes are better left uncovered too, when there is room.
  QList<QRect> prefer;
  for (QObject *child : window_->children()) {
    auto *w = qobject_cast<QWidget *>(child);
    if (w && w != label_ && !w->isWindow())
      prefer.append(covered_area(w, window_));
  }
  if (area == last_area_ && size == last_size_ && must == last_must_ && prefer == last_prefer_)
    return;
  last_area_ = area;
  last_size_ = size;
  last_must_ = must;
  last_prefer_ = prefer;
  const std::optional<QRect> r = badge_place(area, size, must, prefer);
  // Nowhere free (a window far below its design size): the top-right corner.
  label_->setGeometry(r.value_or(QRect(QPoint(area.right() + 1 - size.width(), area.top()), size)));
}
