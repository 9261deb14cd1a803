#pragma once

#include "kept_pictures.h"

#include <QAbstractItemDelegate>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QStaticText>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <utility>

// What one cell shows.
struct TextCellLook {
  QString text;
  QColor background;
  QColor text_colour;
  QColor lines; // drawn on the cell's right and bottom edges; none when invalid
  QFont font;
  // A heading: narrowed rather than cut when it is too wide for its cell.
  bool narrow_to_fit = false;
};

// Draws a text cell as the screens' tables and the packet log show them: its
// background, lines on its right and bottom edges where it has them, then its
// text from two pixels in, cut at the cell's edge (never shortened with an
// ellipsis). The laid-out text of each distinct value is kept, so a repaint
// does not shape the same names, times and log lines again; the general item
// delegate costs several times more per cell than the change that caused it.
// Only the characters that can reach the visible part are laid out: a log
// line is up to 1024 characters and a view shows a few hundred.
//
// A cell painted a second time exactly as before (same text, colours and
// size) is kept as a picture and copied from then on: blending each glyph
// and filling the background cost far more than copying the cell's pixels,
// and tables paint the same names, numbers and headings again and again (a
// standings table re-sorted, a screen brought forward). A text painted once
// only (a running time) is never kept, so it costs no more than before.
//
// A heading too wide for its cell ("ToGo" in a column of 30 pixels) is drawn
// narrower, at its height, so that it shows whole: a heading cut to "ToGc"
// reads as something else.
class TextCellDelegate final : public QAbstractItemDelegate {
public:
  using Look = std::function<TextCellLook(const QModelIndex &, const QStyleOptionViewItem &)>;
  using Size = std::function<QSize(const QModelIndex &)>;

  // Keeps at most `kept` layouts (then starts again) and `picture_bytes` of
  // cell pictures (the least lately painted go first); none with 0.
  TextCellDelegate(Look look, Size size, qsizetype kept, qsizetype picture_bytes = 0,
                   QObject *parent = nullptr);

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

  void forget_layouts() const;
  qsizetype picture_bytes_kept() const { return pictures_.bytes_kept(); }

private:
  struct Laid {
    QStaticText text;
    qsizetype chars = 0; // of the text laid out; all of it when it is shorter
  };
  // Everything a cell's pixels depend on, the font aside (a new font
  // forgets every picture).
  struct PictureKey {
    QString text;
    qsizetype chars = 0; // laid out, at most the whole text
    quint64 background = 0;
    quint64 text_colour = 0;
    quint64 lines = 0; // 0: none
    QSize size;
    QImage::Format format = QImage::Format_Invalid;
    bool narrowed = false;
    bool operator==(const PictureKey &) const = default;
  };
  friend size_t qHash(const PictureKey &key, size_t seed) noexcept;
  struct Colours {
    QColor background;
    QColor text;
  };
  // A text laid out whole in a narrowed face.
  struct Narrowed {
    QFont font;
    QStaticText text;
  };
  void draw(QPainter *painter, QRect r, const TextCellLook &look, const Colours &colours,
            qsizetype chars, const std::optional<Narrowed> &narrowed) const;
  // The picture of a cell painted before as it is now, made on its second
  // painting; null when it is not kept (first painting, or no room).
  QImage picture(const QPainter *painter, QRect r, const TextCellLook &look,
                 const Colours &colours, qsizetype chars,
                 const std::optional<Narrowed> &narrowed) const;
  // The text in the face that fits it into `width` pixels; none when the
  // cells' face (font_) cuts none of its letters.
  std::optional<Narrowed> narrowed(const QString &text, int width) const;
  void use_font(const QFont &font) const;
  void forget_pictures() const;
  qsizetype chars_to_fill(const QString &text, int pixels) const;
  const QStaticText &laid_out(const QString &text, qsizetype chars) const;

  Look look_;
  Size size_;
  qsizetype kept_;
  mutable QHash<QString, Laid> cache_;
  // By width and text; none where the text fits.
  mutable QHash<std::pair<int, QString>, std::optional<Narrowed>> narrowed_;
  mutable KeptPictures<PictureKey> pictures_;
  mutable QFont font_;
  mutable qreal narrowest_ = 0;
  mutable int line_height_ = 0; // of font_
  // Each character's width in font_ as counted by chars_to_fill, for the
  // first 256 code points (what 8-bit text mostly maps to).
  mutable std::array<qreal, 256> least_width_{};
};
