#include "logo.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace {

// Width over height of the two shapes of the logo.
constexpr qreal kBannerAspect = 4.4;
constexpr qreal kStackedAspect = 1.0;
const QColor kGold(0xFF, 0xD0, 0x00);

// The largest rectangle of the given proportions inside a box, centred.
QRectF fit_aspect(const QSizeF &box, qreal aspect) {
  qreal w = box.width();
  qreal h = w / aspect;
  if (h > box.height()) {
    h = box.height();
    w = h * aspect;
  }
  return {(box.width() - w) / 2, (box.height() - h) / 2, w, h};
}

// A velodrome seen from above: the banked oval and its finish line.
void draw_emblem(QPainter &p, const QRectF &r) {
  const qreal side = std::min(r.width(), r.height() * 1.6);
  const QRectF oval(r.center().x() - side / 2, r.center().y() - side / 3.2, side, side / 1.6);
  const qreal track = std::max<qreal>(1.5, oval.height() * 0.16);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kGold, track));
  p.drawRoundedRect(oval.adjusted(track / 2, track / 2, -track / 2, -track / 2), oval.height() / 2,
                    oval.height() / 2);
  p.setPen(QPen(QColor(0xE0, 0x20, 0x20), std::max<qreal>(1, track / 2)));
  const qreal x = oval.center().x();
  p.drawLine(QPointF(x, oval.bottom() - track), QPointF(x, oval.bottom()));
}

// The name in the largest bold italic face whose ink fits the slot.
void draw_name(QPainter &p, const QRectF &slot, const QString &caption) {
  QFont f(QStringLiteral("Sans Serif"));
  f.setBold(true);
  f.setItalic(true);
  int size = std::max(4, int(slot.height() * 0.9));
  for (; size > 4; --size) {
    f.setPixelSize(size);
    const QRectF ink = QFontMetricsF(f).tightBoundingRect(caption);
    if (ink.width() + 2 <= slot.width() && ink.height() <= slot.height())
      break;
  }
  f.setPixelSize(size);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(slot, Qt::AlignCenter, caption);
}

} // namespace

QPixmap make_logo(QSize size, const QString &caption) {
  QPixmap pm(size.expandedTo(QSize(1, 1)));
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const bool stacked = pm.height() * 2 > pm.width();
  const QRectF r = fit_aspect(pm.size(), stacked ? kStackedAspect : kBannerAspect);

  const qreal radius = std::min(r.width(), r.height()) * 0.14;
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, QColor(0x10, 0x30, 0x90));
  g.setColorAt(1, QColor(0x00, 0x10, 0x40));
  p.setBrush(g);
  const qreal border = std::max<qreal>(1, std::min(r.width(), r.height()) / 30);
  p.setPen(QPen(kGold, border));
  p.drawRoundedRect(r.adjusted(border / 2, border / 2, -border / 2, -border / 2), radius, radius);

  const qreal pad = std::min(r.width(), r.height()) * (stacked ? 0.07 : 0.12) + border;
  const QRectF inner = r.adjusted(pad, pad, -pad, -pad);
  if (stacked) {
    const QRectF emblem(inner.left(), inner.top(), inner.width(), inner.height() * 0.55);
    draw_emblem(p, emblem);
    draw_name(p, QRectF(inner.left(), emblem.bottom(), inner.width(), inner.height() * 0.45), caption);
  } else {
    const QRectF emblem(inner.left(), inner.top(), inner.height() * 1.3, inner.height());
    draw_emblem(p, emblem);
    const qreal gap = inner.height() * 0.2;
    draw_name(p, QRectF(emblem.right() + gap, inner.top(), inner.right() - emblem.right() - gap,
                        inner.height()),
              caption);
  }
  return pm;
}
