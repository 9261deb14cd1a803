#include "text_cell_delegate.h"

#include "protocol/text8.h"

#include <QPainter>

#include <algorithm>
#include <utility>

TextCellDelegate::TextCellDelegate(Look look, Size size, qsizetype kept, QObject *parent)
    : QAbstractItemDelegate(parent), look_(std::move(look)), size_(std::move(size)),
      kept_(kept) {}

void TextCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
  QRect r = option.rect;
  if (r.width() <= 0 || r.height() <= 0)
    return;
  const TextCellLook look = look_(index, option);
  const bool selected = option.state & QStyle::State_Selected;
  if (look.lines.isValid()) {
    painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), look.lines);
    painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), look.lines);
    r.adjust(0, 0, -1, -1);
  }
  painter->fillRect(r, selected ? option.palette.color(QPalette::Highlight) : look.background);
  if (look.text.isEmpty())
    return;
  const QRect inner = r.adjusted(2, 0, -2, 0);
  const int visible_right =
      option.widget ? std::min(inner.right(), option.widget->width()) : inner.right();
  if (inner.width() <= 0 || visible_right <= inner.left())
    return;
  use_font(look.font);
  const QStaticText &laid =
      laid_out(look.text, chars_to_fill(look.text, visible_right - inner.left()));
  // Set and put back by hand: a painter's save() copies its whole state, and
  // a table paints this for every cell that changed.
  const QPen pen = painter->pen();
  const QFont font = painter->font();
  painter->setFont(look.font);
  painter->setPen(selected ? option.palette.color(QPalette::HighlightedText) : look.text_colour);
  const bool clip = laid.size().width() > inner.width() || line_height_ > inner.height();
  const bool clipped_before = painter->hasClipping();
  const QRegion clip_before = clip && clipped_before ? painter->clipRegion() : QRegion();
  if (clip)
    painter->setClipRect(inner, Qt::IntersectClip);
  painter->drawStaticText(QPoint(inner.left(), inner.top() + (inner.height() - line_height_) / 2),
                          laid);
  if (clip) {
    if (clipped_before)
      painter->setClipRegion(clip_before);
    else
      painter->setClipping(false);
  }
  painter->setPen(pen);
  painter->setFont(font);
}

QSize TextCellDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const {
  return size_(index);
}

void TextCellDelegate::forget_layouts() const {
  cache_.clear();
  narrowest_ = 0;
}

void TextCellDelegate::use_font(const QFont &font) const {
  if (narrowest_ > 0 && font == font_)
    return;
  font_ = font;
  cache_.clear();
  line_height_ = QFontMetrics(font).height();
  // Kerning can bring two characters closer than their widths: each is
  // counted at three quarters of its width.
  const QFontMetricsF m(font);
  for (int u = 0; u < int(least_width_.size()); ++u)
    least_width_[size_t(u)] = 0.75 * m.horizontalAdvance(QChar(u));
  // The narrowest character a cell can hold (every 8-bit byte from the blank
  // up) stands for the characters beyond the table.
  qreal narrowest = m.horizontalAdvance(QLatin1Char(' '));
  for (int b = 0x20; b <= 0xFF; ++b) {
    const char byte = char(b);
    const qreal a = m.horizontalAdvance(from_8bit(QByteArrayView(&byte, 1)));
    if (a > 0)
      narrowest = std::min(narrowest, a);
  }
  narrowest_ = std::max<qreal>(0.5, narrowest * 0.75);
}

qsizetype TextCellDelegate::chars_to_fill(const QString &text, int pixels) const {
  // Shaping costs by the character: a log line is laid out only as far as
  // it can reach, counted by its own characters' widths (a long line of
  // wide characters stops far sooner than one of the narrowest).
  qreal room = pixels;
  qsizetype n = 0;
  for (const QChar c : text) {
    if (room < 0)
      break;
    const char16_t u = c.unicode();
    room -= u < least_width_.size() ? least_width_[u] : narrowest_;
    ++n;
  }
  return n + 2;
}

const QStaticText &TextCellDelegate::laid_out(const QString &text, qsizetype chars) const {
  auto it = cache_.find(text);
  if (it != cache_.end() && (it->chars >= chars || it->chars >= text.size()))
    return it->text;
  if (it == cache_.end() && cache_.size() >= kept_)
    cache_.clear();
  // Control characters may draw as nothing: such a text is laid out whole.
  const bool controls =
      std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
  const qsizetype take = controls ? text.size() : std::min(text.size(), chars);
  Laid laid{QStaticText(text.left(take)), take};
  laid.text.setTextFormat(Qt::PlainText);
  laid.text.setPerformanceHint(QStaticText::AggressiveCaching);
  laid.text.prepare(QTransform(), font_);
  return cache_.insert(text, laid)->text;
}
