#include "text_cell_delegate.h"

#include "protocol/text8.h"
#include "readout.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <utility>

TextCellDelegate::TextCellDelegate(Look look, Size size, qsizetype kept, qsizetype picture_bytes,
                                   QObject *parent)
    : QAbstractItemDelegate(parent), look_(std::move(look)), size_(std::move(size)),
      kept_(kept), pictures_(picture_bytes, kept) {}

size_t qHash(const TextCellDelegate::PictureKey &key, size_t seed) noexcept {
  return qHashMulti(seed, key.text, key.chars, key.background, key.text_colour, key.lines,
                    key.size.width(), key.size.height(), int(key.format), key.narrowed);
}

void TextCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
  const QRect r = option.rect;
  if (r.width() <= 0 || r.height() <= 0)
    return;
  const TextCellLook look = look_(index, option);
  const bool selected = option.state & QStyle::State_Selected;
  const Colours colours{
      selected ? option.palette.color(QPalette::Highlight) : look.background,
      selected ? option.palette.color(QPalette::HighlightedText) : look.text_colour};
  // How much of the text can show; none when the cell has no room for it.
  qsizetype chars = 0;
  std::optional<Narrowed> narrow;
  if (!look.text.isEmpty()) {
    const QRect inner = r.adjusted(2, 0, look.lines.isValid() ? -3 : -2, 0);
    const int visible_right =
        option.widget ? std::min(inner.right(), option.widget->width()) : inner.right();
    if (inner.width() > 0 && visible_right > inner.left()) {
      use_font(look.font);
      chars = chars_to_fill(look.text, visible_right - inner.left());
      if (look.narrow_to_fit)
        narrow = narrowed(look.text, inner.width());
    }
  }
  const QImage kept = picture(painter, r, look, colours, chars, narrow);
  if (!kept.isNull()) {
    painter->drawImage(r.topLeft(), kept);
    return;
  }
  draw(painter, r, look, colours, chars, narrow);
}

std::optional<TextCellDelegate::Narrowed> TextCellDelegate::narrowed(const QString &text,
                                                                     int width) const {
  std::pair<int, QString> key(width, text);
  if (const auto it = narrowed_.constFind(key); it != narrowed_.cend())
    return *it;
  if (narrowed_.size() >= kept_)
    narrowed_.clear();
  std::optional<Narrowed> n;
  // Only where letters would be cut: many headings reach past their cell
  // with no more than the blank after their last letter.
  if (QFontMetricsF(font_).tightBoundingRect(text).right() > width) {
    n = Narrowed{condense_to_fit(text, font_, width), QStaticText(text)};
    n->text.setTextFormat(Qt::PlainText);
    n->text.setPerformanceHint(QStaticText::AggressiveCaching);
    n->text.prepare(QTransform(), n->font);
  }
  return *narrowed_.insert(std::move(key), std::move(n));
}

void TextCellDelegate::draw(QPainter *painter, QRect r, const TextCellLook &look,
                            const Colours &colours, qsizetype chars,
                            const std::optional<Narrowed> &narrowed) const {
  if (look.lines.isValid()) {
    painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), look.lines);
    painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), look.lines);
    r.adjust(0, 0, -1, -1);
  }
  painter->fillRect(r, colours.background);
  if (chars == 0)
    return;
  const QRect inner = r.adjusted(2, 0, -2, 0);
  const QStaticText &laid = narrowed ? narrowed->text : laid_out(look.text, chars);
  // Set and put back by hand: a painter's save() copies its whole state, and
  // a table paints this for every cell that changed.
  const QPen pen = painter->pen();
  const QFont font = painter->font();
  painter->setFont(narrowed ? narrowed->font : look.font);
  painter->setPen(colours.text);
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

QImage TextCellDelegate::picture(const QPainter *painter, QRect r, const TextCellLook &look,
                                 const Colours &colours, qsizetype chars,
                                 const std::optional<Narrowed> &narrowed) const {
  // A copy covers the cell's whole rectangle: only a cell painted all over
  // with opaque colours looks the same copied.
  if (!colours.background.isValid() || colours.background.alpha() != 255 ||
      (look.lines.isValid() && look.lines.alpha() != 255))
    return {};
  const QImage::Format format = format_for_copies(painter);
  // Nothing to look up where nothing is kept (the packet log) or the cell
  // would take the room of many (a wide log line).
  if (!pictures_.fits(r.size(), format))
    return {};
  PictureKey key{look.text,
                 std::min(chars, look.text.size()),
                 colours.background.rgba64(),
                 colours.text.rgba64(),
                 look.lines.isValid() ? quint64(look.lines.rgba64()) : 0,
                 r.size(),
                 format,
                 narrowed.has_value()};
  return pictures_.picture(std::move(key), r.size(), format, [&](QPainter &p) {
    p.translate(-r.topLeft());
    draw(&p, r, look, colours, chars, narrowed);
  });
}

QSize TextCellDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const {
  return size_(index);
}

void TextCellDelegate::forget_layouts() const {
  cache_.clear();
  narrowed_.clear();
  forget_pictures();
  narrowest_ = 0;
}

void TextCellDelegate::forget_pictures() const { pictures_.clear(); }

void TextCellDelegate::use_font(const QFont &font) const {
  if (narrowest_ > 0 && font == font_)
    return;
  font_ = font;
  cache_.clear();
  narrowed_.clear();
  forget_pictures();
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
