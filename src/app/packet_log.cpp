#include "packet_log.h"

#include "protocol/text8.h"

#include <QAbstractItemDelegate>
#include <QAccessible>
#include <QHash>
#include <QPainter>
#include <QSize>
#include <QStaticText>

#include <algorithm>

namespace {

// Draws a log line: its background, then its text from two pixels in, cut at
// the row's end. Lines move up one row with every datagram, so each line's
// laid-out text is kept while it is in the log: a repaint lays out only the
// lines that came since the last one. Only the characters that can reach the
// visible part are laid out: a datagram's line is up to 1024 characters and
// the view shows a few hundred.
class PacketLogDelegate final : public QAbstractItemDelegate {
public:
  using QAbstractItemDelegate::QAbstractItemDelegate;

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override {
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(r, selected ? option.palette.brush(QPalette::Highlight)
                                  : index.data(Qt::BackgroundRole).value<QColor>());
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
      return;
    const QRect inner = r.adjusted(2, 0, -2, 0);
    const int visible_right = option.widget ? std::min(inner.right(), option.widget->width())
                                            : inner.right();
    if (visible_right <= inner.left())
      return;
    use_font(option.font);
    const QFontMetrics metrics(option.font);
    painter->save();
    painter->setFont(option.font);
    painter->setPen(selected ? option.palette.color(QPalette::HighlightedText)
                             : index.data(Qt::ForegroundRole).value<QColor>());
    painter->setClipRect(inner, Qt::IntersectClip);
    painter->drawStaticText(
        QPoint(inner.left(), inner.top() + (inner.height() - metrics.height()) / 2),
        laid_out(text, chars_to_fill(visible_right - inner.left())));
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const override {
    return index.data(Qt::SizeHintRole).toSize();
  }

private:
  struct Laid {
    QStaticText text;
    qsizetype chars = 0; // of the line laid out; all of it when it is shorter
  };

  void use_font(const QFont &font) const {
    if (font == font_ && narrowest_ > 0)
      return;
    font_ = font;
    cache_.clear();
    // The narrowest character the log can hold (every 8-bit byte from the
    // blank up); kerning can bring two closer, hence the margin.
    const QFontMetricsF m(font);
    qreal narrowest = m.horizontalAdvance(QLatin1Char(' '));
    for (int b = 0x20; b <= 0xFF; ++b) {
      const char byte = char(b);
      const qreal a = m.horizontalAdvance(from_8bit(QByteArrayView(&byte, 1)));
      if (a > 0)
        narrowest = std::min(narrowest, a);
    }
    narrowest_ = std::max<qreal>(0.5, narrowest * 0.75);
  }

  qsizetype chars_to_fill(int pixels) const { return qsizetype(pixels / narrowest_) + 2; }

  const QStaticText &laid_out(const QString &text, qsizetype chars) const {
    auto it = cache_.find(text);
    if (it != cache_.end() && (it->chars >= chars || it->chars >= text.size()))
      return it->text;
    // Twice the log's length: the lines on view stay, older ones go.
    if (it == cache_.end() && cache_.size() >= 2 * PacketLog::kMaxLines + 8)
      cache_.clear();
    // Control characters may draw as nothing: such a line is laid out whole.
    const bool controls = std::any_of(text.begin(), text.end(),
                                      [](QChar c) { return c.unicode() < 0x20; });
    const qsizetype take = controls ? text.size() : std::min(text.size(), chars);
    Laid laid{QStaticText(text.left(take)), take};
    laid.text.setTextFormat(Qt::PlainText);
    laid.text.setPerformanceHint(QStaticText::AggressiveCaching);
    laid.text.prepare(QTransform(), font_);
    return cache_.insert(text, laid)->text;
  }

  mutable QHash<QString, Laid> cache_;
  mutable QFont font_;
  mutable qreal narrowest_ = 0;
};

} // namespace

PacketLog::PacketLog(QObject *parent) : QAbstractListModel(parent) {}

bool PacketLog::add_line(const QString &line) {
  if (lines_.size() < kMaxLines) {
    const int row = int(lines_.size());
    beginInsertRows({}, row, row);
    lines_.append(line);
    endInsertRows();
    return false;
  }
  // A full log keeps its 30 rows and every line moves up one: the view only
  // repaints, where a row inserted and a row removed would lay it out again
  // for every datagram.
  lines_.removeFirst();
  lines_.append(line);
  emit dataChanged(index(0), index(int(lines_.size()) - 1),
                   {Qt::DisplayRole, Qt::AccessibleTextRole});
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

int PacketLog::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(lines_.size());
}

QVariant PacketLog::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= lines_.size())
    return {};
  switch (role) {
  case Qt::DisplayRole:
  case Qt::AccessibleTextRole:
    return lines_.at(index.row());
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
  setItemDelegate(new PacketLogDelegate(this));
}

void PacketLogView::dataChanged(const QModelIndex &top_left, const QModelIndex &bottom_right,
                                const QList<int> &roles) {
  // The item view's own handling works out every changed row's rectangle
  // and tells a screen reader; without one listening, the rows on view are
  // simply repainted.
  if (QAccessible::isActive())
    QAbstractItemView::dataChanged(top_left, bottom_right, roles);
  else
    viewport()->update();
}
