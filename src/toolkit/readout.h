#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>

// Large digital read-outs must never lose a digit: a time with its first
// figure cut off is a wrong time.

// The face to draw a read-out's text with so that the whole text fits a
// width: the face itself when the text fits; otherwise the same height,
// condensed until it fits; and only when condensing as far as still reads
// well is not enough, scaled down as well.
QFont fit_readout_font(const QString &text, const QFont &face, int width);

// The widest span of a box that nothing lying over it covers, when the
// covers come in from its left or right side (each is taken to cover the
// box from the nearer side to its own far edge).
QRect uncovered_part(QRect box, const QList<QRect> &covers);
