#include "qd_frame.h"

#include <algorithm>
#include <cstring>

QByteArray Tqd_frame::line(int k) const {
  const Slot &s = line_slots[k];
  return QByteArray(s.chars, std::min<int>(s.length, kLineCapacity));
}

void Tqd_frame::set_line(int k, QByteArrayView text) {
  Slot &s = line_slots[k];
  const int n = int(std::min<qsizetype>(text.size(), kLineCapacity));
  s.length = std::uint8_t(n);
  if (n > 0)
    std::memcpy(s.chars, text.data(), size_t(n));
}

void Tqd_frame::blank() {
  for (Slot &s : line_slots)
    s.length = 0;
}
