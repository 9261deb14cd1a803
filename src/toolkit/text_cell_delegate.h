#pragma once

#include <QAbstractItemDelegate>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>

#include <array>
#include <functional>

// What one cell shows.
struct TextCellLook {
  QString text;
  QColor background;
  QColor text_colour;
  QColor lines; // drawn on the cell's right and bottom edges; none when invalid
  QFont font;
};

// Draws a text cell as the screens' tables and the packet log show them: its
// background, lines on its right and bottom edges where it has them, then its
// text from two pixels in, cut at the cell's edge (never shortened with an
// ellipsis). The laid-out text of each distinct value is kept, so a repaint
// does not shape the same names, times and log lines again; the general item
// delegate costs several times more per cell than the change that caused it.
// Only the characters that can reach the visible part are laid out: a log
// line is up to 1024 characters and a view shows a few hundred.
class TextCellDelegate final : public QAbstractItemDelegate {
public:
  using Look = std::function<TextCellLook(const QModelIndex &, const QStyleOptionViewItem &)>;
  using Size = std::function<QSize(const QModelIndex &)>;

  // Keeps at most `kept` layouts (then starts again).
  TextCellDelegate(Look look, Size size, qsizetype kept, QObject *parent = nullptr);

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

  void forget_layouts() const;

private:
  struct Laid {
    QStaticText text;
    qsizetype chars = 0; // of the text laid out; all of it when it is shorter
  };
  void use_font(const QFont &font) const;
  qsizetype chars_to_fill(const QString &text, int pixels) const;
  const QStaticText &laid_out(const QString &text, qsizetype chars) const;

  Look look_;
  Size size_;
  qsizetype kept_;
  mutable QHash<QString, Laid> cache_;
  mutable QFont font_;
  mutable qreal narrowest_ = 0;
  mutable int line_height_ = 0; // of font_
  // Each character's width in font_ as counted by chars_to_fill, for the
  // first 256 code points (what 8-bit text mostly maps to).
  mutable std::array<qreal, 256> least_width_{};
};
