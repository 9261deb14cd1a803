// Fuzzes every field function and both number readings on arbitrary bytes.
// Each function is checked against what it promises: a result is a sub-range
// of its input (or of bounded size), a tag value never holds "{", the strict
// reading agrees with the lenient one, and so on. A broken promise aborts.

#include "protocol/fields.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

[[noreturn]] void fail(const char *what, QByteArrayView input) {
  std::fprintf(stderr, "fuzz_fields: %s (input of %lld bytes)\n", what,
               static_cast<long long>(input.size()));
  std::abort();
}

#define EXPECT(cond, input)                                                   \
  do {                                                                        \
    if (!(cond))                                                              \
      fail(#cond, input);                                                     \
  } while (0)

// True when part lies inside whole (an empty part may be a null view).
bool within(QByteArrayView part, QByteArrayView whole) {
  if (part.isEmpty())
    return true;
  const char *b = whole.data();
  const char *e = b + whole.size();
  return part.data() >= b && part.data() + part.size() <= e;
}

// "{name}" with no other brace: a tag as the protocol writes them.
bool well_formed_tag(QByteArrayView tag) {
  if (tag.size() < 2 || tag.front() != '{' || tag.back() != '}')
    return false;
  const QByteArrayView inner = tag.sliced(1, tag.size() - 2);
  return !inner.contains('{') && !inner.contains('}');
}

void check_tag(QByteArrayView packet, QByteArrayView tag) {
  const QByteArrayView v = tag_value(packet, tag);
  const QByteArrayView u = tag_value_unbounded(packet, tag);
  const bool occurs = has_tag(packet, tag);

  EXPECT(within(v, packet), packet);
  EXPECT(within(u, packet), packet);
  EXPECT(!v.contains('{'), packet);
  EXPECT(!u.contains('{'), packet);
  EXPECT(v.size() < kTagWindow, packet);
  EXPECT(occurs == (!tag.isEmpty() && packet.indexOf(tag) >= 0), packet);
  if (!occurs) {
    EXPECT(v.isEmpty() && u.isEmpty(), packet);
    EXPECT(!is_flag(packet, tag), packet);
    return;
  }
  EXPECT(is_flag(packet, tag) == (v == QByteArrayView("+")), packet);

  const qsizetype at = packet.indexOf(tag);
  // The unbounded value starts right after the tag's first occurrence.
  EXPECT(u.isEmpty() || u.data() == packet.data() + at + tag.size(), packet);
  if (!well_formed_tag(tag))
    return;
  // For a real tag both readings start at the same place; the windowed one
  // is the unbounded one cut at the window's end.
  const qsizetype room = kTagWindow - tag.size();
  EXPECT(v.size() <= room, packet);
  EXPECT(u.first(qMin(u.size(), room)) == v, packet);
  EXPECT(v.isEmpty() || v.data() == u.data(), packet);
}

void check_numbers(QByteArrayView text) {
  const std::int32_t lenient = leading_number(text);
  const std::optional<std::int32_t> strict = strict_number(text);
  if (strict) {
    EXPECT(*strict == lenient, text);
    EXPECT(!text.isEmpty(), text);
    EXPECT(text.back() != ' ', text);
  }
  // Surrounding the digits with a non-digit never changes the lenient reading.
  QByteArray longer = text.toByteArray();
  longer.append('#');
  EXPECT(leading_number(longer) == lenient, text);
  EXPECT(!strict_number(longer), text);
}

// Round trips of a 32-bit value taken from the input: decimal and the four
// hexadecimal spellings must read back exactly.
void check_round_trip(QByteArrayView input) {
  if (input.size() < 4)
    return;
  std::uint32_t bits = 0;
  for (int i = 0; i < 4; ++i)
    bits = (bits << 8) | std::uint8_t(input[i]);
  const std::int32_t value = std::int32_t(bits);
  const QByteArray dec = QByteArray::number(value);
  EXPECT(strict_number(dec) == value, input);
  EXPECT(leading_number(dec) == value, input);
  EXPECT(strict_number(" " + dec) == value, input);

  const std::int64_t wide = value;
  const bool negative = wide < 0;
  const QByteArray hex = QByteArray::number(negative ? -wide : wide, 16);
  const QByteArray sign = negative ? "-" : "";
  for (const char *prefix : {"$", "x", "X", "0x", "0X"}) {
    const QByteArray spelled = sign + prefix + hex;
    EXPECT(strict_number(spelled) == value, input);
    EXPECT(leading_number(spelled) == value, input);
  }
  // One digit too many saturates and fails the strict reading.
  if (value == std::numeric_limits<std::int32_t>::max() ||
      value == std::numeric_limits<std::int32_t>::min()) {
    EXPECT(!strict_number(dec + "0"), input);
    EXPECT(leading_number(dec + "0") == value, input);
  }
}

void check_trim(QByteArrayView text) {
  const QByteArrayView t = trim_spaces(text);
  EXPECT(within(t, text), text);
  EXPECT(t.isEmpty() || (t.front() != ' ' && t.back() != ' '), text);
  if (t.isEmpty()) {
    for (char c : text)
      EXPECT(c == ' ', text);
    return;
  }
  const qsizetype lead = t.data() - text.data();
  for (qsizetype i = 0; i < lead; ++i)
    EXPECT(text[i] == ' ', text);
  for (qsizetype i = lead + t.size(); i < text.size(); ++i)
    EXPECT(text[i] == ' ', text);
}

void check_comma_fields(QByteArrayView text) {
  const qsizetype commas = text.count(',');
  for (int n : {-1, 0, 1, 2, 3, 4, 5, 8, 9, 10, 17, 1000, std::numeric_limits<int>::max()}) {
    const QByteArrayView f = comma_field(text, n);
    EXPECT(within(f, text), text);
    EXPECT(f.size() <= kShortTextMax, text);
    EXPECT(!f.contains(','), text);
    EXPECT(f.isEmpty() || (f.front() != ' ' && f.back() != ' '), text);
    if (n < 1 || n > commas + 1)
      EXPECT(f.isEmpty(), text);
  }
}

void check_cut(QByteArrayView text) {
  const QByteArray c = cut_at_point(text);
  const qsizetype point = text.indexOf('.');
  if (point < 0) {
    EXPECT(c == text, text);
    return;
  }
  const qsizetype removed = qMin<qsizetype>(50, text.size() - point);
  EXPECT(c.size() == text.size() - removed, text);
  EXPECT(QByteArrayView(c).first(point) == text.first(point), text);
  EXPECT(QByteArrayView(c).sliced(point) == text.sliced(point + removed), text);
}

// Every tag the screens read, so the fuzzer meets them in real packets.
constexpr const char *kTags[] = {
    "{heartbeat}", "{scratch}", "{reradu}", "{omnium}", "{sprintf}", "{ptsrace}", "{tt}",
    "{clr}",       "{title}",   "{time}",   "{spd}",    "{list}",    "{rank}",    "{bib}",
    "{name}",      "{nat}",     "{status}", "{laps}",   "{lines}",   "{cols}",    "{line}",
    "{0}",         "{1}",       "{12}",     "{eop}",    "{",         "}",         "{}",
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));

  for (const char *tag : kTags)
    check_tag(input, QByteArrayView(tag));
  // A tag taken from the input itself: its first byte says how long it is.
  if (!input.isEmpty()) {
    const qsizetype len = qMin<qsizetype>(std::uint8_t(input[0]) % 24, input.size() - 1);
    const QByteArrayView tag = input.sliced(1, len);
    check_tag(input.sliced(1 + len), tag);
    check_tag(input, tag);
  }

  check_numbers(input);
  check_numbers(trim_spaces(input));
  check_numbers(tag_value(input, "{list}"));
  check_round_trip(input);
  check_trim(input);
  check_comma_fields(input);
  check_cut(input);
  return 0;
}
