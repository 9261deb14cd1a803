#include "fields.h"

#include <cstring>
#include <limits>

namespace {

QByteArrayView up_to_brace(QByteArrayView rest) {
  const qsizetype brace = rest.indexOf('{');
  return brace < 0 ? rest : rest.first(brace);
}

struct Reading {
  std::int64_t value = 0; // saturated magnitude with its sign applied
  bool any_digit = false;
  bool overflow = false;
  qsizetype consumed = 0;
};

int digit_value(char c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9')
    d = c - '0';
  else if (base == 16 && c >= 'a' && c <= 'f')
    d = c - 'a' + 10;
  else if (base == 16 && c >= 'A' && c <= 'F')
    d = c - 'A' + 10;
  return d;
}

Reading read_number(QByteArrayView text) {
  Reading r;
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && text[i] == ' ')
    ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  // One past the largest magnitude: enough to saturate either way.
  constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
  std::int64_t magnitude = 0;
  for (; i < n; ++i) {
    const int d = digit_value(text[i], base);
    if (d < 0)
      break;
    r.any_digit = true;
    magnitude = magnitude * base + d;
    if (magnitude > limit) {
      magnitude = limit;
      r.overflow = true;
    }
  }
  const std::int64_t lo = std::numeric_limits<std::int32_t>::min();
  const std::int64_t hi = std::numeric_limits<std::int32_t>::max();
  std::int64_t v = negative ? -magnitude : magnitude;
  if (v > hi) {
    v = hi;
    r.overflow = true;
  }
  if (v < lo) {
    v = lo;
    r.overflow = true;
  }
  r.value = v;
  r.consumed = i;
  return r;
}

// Where tag first occurs in packet, or -1. A screen reads dozens of tags per
// datagram and every tag starts with "{", as do all the others in a Packet:
// looking for the tag's second character (a letter or digit that follows a
// "{" far less often) and checking the one before it is far quicker.
qsizetype find_tag(QByteArrayView packet, QByteArrayView tag) {
  const qsizetype n = tag.size();
  if (n == 0 || n > packet.size())
    return -1;
  const char *const begin = packet.data();
  const char *const last = begin + (packet.size() - n); // the last place it can start
  if (n == 1) {
    const void *at = std::memchr(begin, tag.front(), size_t(last - begin) + 1);
    return at ? static_cast<const char *>(at) - begin : -1;
  }
  for (const char *p = begin; p <= last; ++p) {
    // The second character anywhere from p + 1 to last + 1.
    const char *second =
        static_cast<const char *>(std::memchr(p + 1, tag[1], size_t(last - p) + 1));
    if (!second)
      return -1;
    p = second - 1;
    if (*p == tag.front() && std::memcmp(p + 2, tag.data() + 2, size_t(n - 2)) == 0)
      return p - begin;
  }
  return -1;
}

} // namespace

QByteArrayView tag_value(QByteArrayView packet, QByteArrayView tag) {
  const qsizetype at = find_tag(packet, tag);
  if (at < 0 || tag.isEmpty())
    return {};
  QByteArrayView window = packet.sliced(at);
  window = window.first(qMin(window.size(), kTagWindow));
  const qsizetype close = window.indexOf('}');
  if (close < 0)
    return {};
  return up_to_brace(window.sliced(close + 1));
}

QByteArrayView tag_value_unbounded(QByteArrayView packet, QByteArrayView tag) {
  const qsizetype at = find_tag(packet, tag);
  if (at < 0 || tag.isEmpty())
    return {};
  return up_to_brace(packet.sliced(at + tag.size()));
}

bool is_flag(QByteArrayView packet, QByteArrayView tag) {
  return tag_value(packet, tag) == QByteArrayView("+");
}

bool has_tag(QByteArrayView packet, QByteArrayView tag) {
  return find_tag(packet, tag) >= 0;
}

std::int32_t leading_number(QByteArrayView text) {
  return std::int32_t(read_number(text).value);
}

std::optional<std::int32_t> strict_number(QByteArrayView text) {
  const Reading r = read_number(text);
  if (!r.any_digit || r.overflow || r.consumed != text.size())
    return std::nullopt;
  return std::int32_t(r.value);
}

QByteArrayView trim_spaces(QByteArrayView text) {
  qsizetype b = 0;
  qsizetype e = text.size();
  while (b < e && text[b] == ' ')
    ++b;
  while (e > b && text[e - 1] == ' ')
    --e;
  return text.sliced(b, e - b);
}

QByteArrayView comma_field(QByteArrayView text, int n) {
  if (n < 1 || text.isEmpty())
    return {};
  // The text behaves as if framed by a leading comma and, unless it ends in
  // one, a trailing comma; field n lies between comma n and comma n+1.
  qsizetype start = 0; // just after the virtual leading comma
  for (int k = 1; k < n; ++k) {
    const qsizetype comma = text.indexOf(',', start);
    if (comma < 0)
      return {};
    start = comma + 1;
  }
  if (start >= text.size())
    return {}; // comma n was the text's last comma: no comma n+1
  qsizetype end = text.indexOf(',', start);
  if (end < 0)
    end = text.size(); // the appended trailing comma
  QByteArrayView field = text.sliced(start, end - start);
  return trim_spaces(short_text(field));
}

QByteArray cut_at_point(QByteArrayView text) {
  const qsizetype point = text.indexOf('.');
  QByteArray out = text.toByteArray();
  if (point >= 0)
    out.remove(point, 50);
  return out;
}
