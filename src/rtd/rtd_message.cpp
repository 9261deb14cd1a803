#include "rtd_message.h"

namespace {
// The message is built in a zero-terminated buffer of this many characters.
constexpr int kMessageBufferSize = 2048;
} // namespace

QByteArray rtd_pad(QByteArrayView text, int width) {
  if (width <= 0)
    return {};
  QByteArray out = text.first(qMin<qsizetype>(text.size(), width)).toByteArray();
  if (out.size() < width)
    out.append(width - out.size(), ' ');
  return out;
}

QByteArray rtd_code_field(int code) {
  QByteArray out = QByteArray::number(code).rightJustified(2, ' ');
  if (out.at(0) == ' ')
    out[0] = '0';
  return out;
}

int rtd_next_sequence(int sequence) {
  const int next = sequence + 1;
  return next > 6 ? 0 : next;
}

QByteArray rtd_message(int sequence, int code, const RtdLines &lines, int width) {
  QByteArray out;
  out.reserve(9 + 8 * qMax(width, 0));
  out.append('\r');
  out.append(char('0' + sequence));
  out.append(rtd_code_field(code));
  out.append("00  ");
  for (const QByteArray &line : lines)
    out.append(rtd_pad(line, width));
  out.append('\r');
  const qsizetype zero = out.indexOf('\0');
  if (zero >= 0)
    out.truncate(zero);
  if (out.size() > kMessageBufferSize - 1)
    out.truncate(kMessageBufferSize - 1);
  return out;
}
