#include "logo.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

QPixmap make_logo(QSize size, const QString &caption) {
  QPixmap pm(size.expandedTo(QSize(1, 1)));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, pm.height());
  g.setColorAt(0, QColor(0x10, 0x30, 0x90));
  g.setColorAt(1, QColor(0x00, 0x10, 0x40));
  p.fillRect(pm.rect(), g);
  p.setPen(QPen(QColor(0xFF, 0xD0, 0x00), 2));
  p.drawRect(pm.rect().adjusted(1, 1, -2, -2));
  QFont f(QStringLiteral("Sans Serif"));
  f.setBold(true);
  f.setItalic(true);
  f.setPixelSize(qMax(6, pm.height() * 11 / 20));
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(pm.rect(), Qt::AlignCenter, caption);
  return pm;
}
