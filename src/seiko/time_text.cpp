#include "time_text.h"

#include "protocol/fields.h"

#include <QTime>

#include <cctype>

clock_time clock_time_of(const QTime &time) {
  clock_time t;
  t.hours = std::uint16_t(time.hour());
  t.minutes = std::uint16_t(time.minute());
  t.seconds = std::uint16_t(time.second());
  t.ten_thousandths = std::uint16_t(time.msec() * 10);
  return t;
}

clock_time read_clock() { return clock_time_of(QTime::currentTime()); }

namespace {

// Right-aligned in a field of width with the blanks in front made zeros;
// longer numbers keep every digit.
QByteArray zero_filled(unsigned value, int width) {
  QByteArray s = QByteArray::number(value);
  if (s.size() < width)
    s.prepend(QByteArray(width - s.size(), '0'));
  return s;
}

} // namespace

QByteArray format_clock_time(clock_time t) {
  QByteArray out;
  out += zero_filled(t.hours, 2);
  out += ':';
  out += zero_filled(t.minutes, 2);
  out += ':';
  out += zero_filled(t.seconds, 2);
  out += '.';
  out += zero_filled(t.ten_thousandths, 4);
  return out;
}

QByteArray fit_text(QByteArrayView text, int width, QByteArrayView mode) {
  const char m = mode.isEmpty() ? '\0' : char(std::toupper(static_cast<unsigned char>(mode[0])));
  const qsizetype w = qMax(width, 0);
  QByteArray s = text.toByteArray();
  if (m == 'R' && s.size() > w)
    s = s.right(w);
  if (s.size() > w)
    s.truncate(w);
  if (s.size() == w)
    return s;
  switch (m) {
  case 'R':
    s.prepend(QByteArray(w - s.size(), ' '));
    break;
  case 'L':
    s.append(QByteArray(w - s.size(), ' '));
    break;
  case 'C': {
    // One blank each side while two or more are still missing, the rest
    // behind: the margin behind is one or two blanks larger.
    const qsizetype d = w - s.size();
    const qsizetype front = d > 2 ? (d - 1) / 2 : 0;
    s.prepend(QByteArray(front, ' '));
    s.append(QByteArray(w - s.size(), ' '));
    break;
  }
  default:
    break;
  }
  return s;
}

QByteArray panel_time_text(clock_time t) {
  return fit_text(cut_at_point(format_clock_time(t)), 10, "l");
}
