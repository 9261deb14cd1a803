#pragma once

#include "kept_pictures.h"

#include <QStyledItemDelegate>

// Paints a view's items as the general item delegate does, and keeps a
// picture of an item painted a second time exactly as before (the same text,
// colours, font, state and size) to copy from then on. For views of plain
// text items on a solid background, such as a display-board frame in large
// type: laying out and blending a line of large glyphs costs far more than
// copying its pixels, and the same lines come back frame after frame.
// Items with a decoration, a check box or a background of their own are
// painted as usual.
class KeptItemDelegate final : public QStyledItemDelegate {
public:
  // Keeps at most `bytes` of pictures.
  explicit KeptItemDelegate(qsizetype bytes, QObject *parent = nullptr);

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;

  qsizetype bytes_kept() const { return pictures_.bytes_kept(); }

private:
  // Everything an item's pixels depend on.
  struct Key {
    QString text;
    QString font;
    QSize size;
    int state = 0;
    int alignment = 0;
    int elide = 0;
    int direction = 0;
    int position = 0; // in a row of items, for the selection's ends
    quint64 base = 0;
    quint64 text_colour = 0;
    quint64 highlight = 0;
    quint64 highlighted_text = 0;
    QImage::Format format = QImage::Format_Invalid;
    bool operator==(const Key &) const = default;
  };
  friend size_t qHash(const Key &key, size_t seed) noexcept;

  mutable KeptPictures<Key> pictures_;
};
