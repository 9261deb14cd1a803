#pragma once

#include <QFont>
#include <QHash>
#include <QList>
#include <QRect>
#include <QString>

#include <utility>

// Large digital read-outs must never lose a digit: a time with its first
// figure cut off is a wrong time.

// The face narrowed, at its height, until the whole text fits a width: the
// face itself when the text fits; the narrowest that still reads well when
// nothing does (the text is then cut).
QFont condense_to_fit(const QString &text, const QFont &face, int width);

// The face to draw a read-out's text with so that the whole text fits a
// width: the face itself when the text fits; otherwise the same height,
// condensed until it fits; and only when condensing as far as still reads
// well is not enough, scaled down as well.
QFont fit_readout_font(const QString &text, const QFont &face, int width);

// fit_readout_font with one face, keeping what it worked out: fitting a
// text lays it out two to six times, and a read-out shows the same texts
// again (the empty one, a time the other side also had).
class ReadoutFitting {
public:
  explicit ReadoutFitting(QFont face) : face_(std::move(face)) {}
  const QFont &face() const { return face_; }
  QFont fit(const QString &text, int width);

private:
  static constexpr qsizetype kKept = 256;
  QFont face_;
  QHash<std::pair<int, QString>, QFont> kept_;
};

// The widest span of a box that nothing lying over it covers, when the
// covers come in from its left or right side (each is taken to cover the
// box from the nearer side to its own far edge).
QRect uncovered_part(QRect box, const QList<QRect> &covers);
