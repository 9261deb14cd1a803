#include "readout.h"

#include <QFontInfo>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace {

// Below half its width a face's letters, and a seven-segment face's
// figures, run together.
constexpr int kMinStretch = 50;
constexpr int kMinPixels = 8;

// From the leftmost to the rightmost pixel the text can take: its advance
// and its ink, whichever reaches further.
qreal text_width(const QString &text, const QFont &font) {
  const QFontMetricsF m(font);
  const QRectF ink = m.tightBoundingRect(text);
  const qreal advance = m.horizontalAdvance(text);
  if (ink.isEmpty())
    return advance;
  return std::max(advance, ink.right() + 1) - std::min<qreal>(0, ink.left());
}

} // namespace

QFont condense_to_fit(const QString &text, const QFont &face, int width) {
  QFont f = face;
  if (text.isEmpty() || width <= 0)
    return f;
  const qreal full = text_width(text, f);
  if (full <= width)
    return f;
  // A face asking for no particular stretch is drawn unstretched.
  const int from = f.stretch() > 0 ? f.stretch() : int(QFont::Unstretched);
  // Rounding in the glyphs' metrics can leave a text a pixel too wide at
  // the stretch worked out: step down until it fits.
  int stretch = std::clamp(int(std::floor(from * width / full)), kMinStretch, from);
  for (; stretch >= kMinStretch; --stretch) {
    f.setStretch(stretch);
    if (text_width(text, f) <= width)
      return f;
  }
  f.setStretch(kMinStretch);
  return f;
}

QFont fit_readout_font(const QString &text, const QFont &face, int width) {
  QFont f = face;
  f.setStretch(QFont::Unstretched);
  if (text.isEmpty() || width <= 0)
    return f;
  f = condense_to_fit(text, f, width);
  if (text_width(text, f) <= width)
    return f;
  const qreal pixels = f.pixelSize() > 0 ? f.pixelSize() : QFontInfo(f).pixelSize();
  int size = std::max(kMinPixels, int(std::floor(pixels * width / text_width(text, f))));
  for (; size > kMinPixels; --size) {
    f.setPixelSize(size);
    if (text_width(text, f) <= width)
      return f;
  }
  f.setPixelSize(kMinPixels);
  return f;
}

QFont ReadoutFitting::fit(const QString &text, int width) {
  std::pair<int, QString> key(width, text);
  if (const auto it = kept_.constFind(key); it != kept_.constEnd())
    return *it;
  if (kept_.size() >= kKept)
    kept_.clear();
  return *kept_.insert(std::move(key), fit_readout_font(text, face_, width));
}

QRect uncovered_part(QRect box, const QList<QRect> &covers) {
  int left = box.left();
  int right = box.right();
  for (const QRect &c : covers) {
    const QRect over = c.intersected(box);
    if (over.isEmpty())
      continue;
    if (over.center().x() >= box.center().x())
      right = std::min(right, over.left() - 1);
    else
      left = std::max(left, over.right() + 1);
  }
  return QRect(QPoint(left, box.top()), QPoint(std::max(left - 1, right), box.bottom()));
}
