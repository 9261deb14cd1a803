#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <optional>

// Field extraction over a Packet: 8-bit text, at most 1024 characters. Every
// function is pure; the view results point into their argument.

// Longest text kept in a short text.
inline constexpr qsizetype kShortTextMax = 255;
// The window tag_value looks in, from the tag's first character on.
inline constexpr qsizetype kTagWindow = 256;

// The value of the tag's first occurrence, within the 256-character window;
// empty when the tag is absent.
QByteArrayView tag_value(QByteArrayView packet, QByteArrayView tag);
// The same without the window (the numbered column tags of the omnium table).
QByteArrayView tag_value_unbounded(QByteArrayView packet, QByteArrayView tag);
// The flag test: the value is exactly "+".
bool is_flag(QByteArrayView packet, QByteArrayView tag);
// The occurrence test: the tag occurs anywhere, whatever its value.
bool has_tag(QByteArrayView packet, QByteArrayView tag);

// Lenient reading of the number at the start of a text (blanks, a sign, "$",
// "x" or "0x" for hexadecimal); never fails, saturates at the 32-bit limits.
std::int32_t leading_number(QByteArrayView text);
// Strict reading: the whole text must be one number that fits in 32 bits.
std::optional<std::int32_t> strict_number(QByteArrayView text);

// Blanks (character 32 only) removed from both ends.
QByteArrayView trim_spaces(QByteArrayView text);
// The n-th comma-separated field (n from 1), its first 255 characters, trimmed.
QByteArrayView comma_field(QByteArrayView text, int n);
// 50 characters deleted from the first "." on.
QByteArray cut_at_point(QByteArrayView text);
// A value stored as a short text: its first 255 characters.
inline QByteArrayView short_text(QByteArrayView text) {
  return text.first(qMin(text.size(), kShortTextMax));
}
