#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>

// The eight lines of a display frame, 8-bit text, line 1 first.
using RtdLines = std::array<QByteArray, 8>;

// The text cut after its width-th character, then padded with spaces to width.
QByteArray rtd_pad(QByteArrayView text, int width);

// The code in decimal, right-aligned in two characters with a leading zero.
QByteArray rtd_code_field(int code);

// The counter after one more message: 1, 2, ... 6, then 0 again.
int rtd_next_sequence(int sequence);

// One RTD message: CR, the sequence digit, the code field, "00  ", the eight
// lines padded to width, CR. The message ends at a zero byte, as the buffer it
// is sent from is zero-terminated.
QByteArray rtd_message(int sequence, int code, const RtdLines &lines, int width);
