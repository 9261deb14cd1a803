#include "kept_item_delegate.h"

#include <QAbstractItemView>

#include <utility>

namespace {

// The view's background under its items, when it is one opaque colour.
QColor solid_background(const QStyleOptionViewItem &option) {
  const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
  if (!view || !view->viewport()->autoFillBackground())
    return {};
  const QBrush brush = view->viewport()->palette().brush(view->viewport()->backgroundRole());
  if (brush.style() != Qt::SolidPattern || !brush.isOpaque())
    return {};
  return brush.color();
}

} // namespace

KeptItemDelegate::KeptItemDelegate(qsizetype bytes, QObject *parent)
    : QStyledItemDelegate(parent), pictures_(bytes, 4096) {}

size_t qHash(const KeptItemDelegate::Key &key, size_t seed) noexcept {
  return qHashMulti(seed, key.text, key.font, key.size.width(), key.size.height(), key.state,
                    key.alignment, key.elide, key.direction, key.position, key.base,
                    key.text_colour, key.highlight, key.highlighted_text, int(key.format));
}

void KeptItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
  const QImage::Format format = format_for_copies(painter);
  const QColor background = format == QImage::Format_Invalid ? QColor() : solid_background(option);
  if (!background.isValid()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  // The style clips an item to its rectangle; what it leaves unpainted is
  // the view's background, which the picture starts from.
  constexpr auto own = QStyleOptionViewItem::HasDecoration |
                       QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::Alternate;
  if ((opt.features & own) || opt.backgroundBrush.style() != Qt::NoBrush) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const QRect r = option.rect;
  // The colours of the group the style paints with.
  const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                     : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                          : QPalette::Inactive;
  Key key{opt.text,
          opt.font.key(),
          r.size(),
          int(opt.state),
          int(opt.displayAlignment),
          int(opt.textElideMode),
          int(opt.direction),
          int(opt.viewItemPosition),
          background.rgba64(),
          opt.palette.color(group, QPalette::Text).rgba64(),
          opt.palette.color(group, QPalette::Highlight).rgba64(),
          opt.palette.color(group, QPalette::HighlightedText).rgba64(),
          format};
  const QImage kept = pictures_.picture(std::move(key), r.size(), format, [&](QPainter &p) {
    p.fillRect(QRect(QPoint(0, 0), r.size()), background);
    p.translate(-r.topLeft());
    QStyledItemDelegate::paint(&p, option, index);
  });
  if (kept.isNull()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  painter->drawImage(r.topLeft(), kept);
}
