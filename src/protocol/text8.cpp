#include "text8.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <utility>

namespace {

// A single-byte code page maps each byte on its own, so one table built on
// first use decodes without a decoder object per call.
const std::array<char16_t, 256> &decode_table() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    QStringDecoder decoder("windows-1252");
    for (int b = 0; b < 256; ++b) {
      t[b] = char16_t(b);
      if (!decoder.isValid())
        continue;
      const char byte = char(b);
      const QString s = decoder.decode(QByteArrayView(&byte, 1));
      decoder.resetState();
      if (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter)
        t[b] = s.at(0).unicode();
    }
    return t;
  }();
  return table;
}

// The byte of one character, or "?" when the code page has none. Each
// character is looked up on its own, so one missing character never changes
// the bytes of the others.
char byte_of(char16_t c, const std::array<char16_t, 256> &from_byte) {
  static const std::array<std::pair<char16_t, unsigned char>, 256> by_char = [&from_byte] {
    std::array<std::pair<char16_t, unsigned char>, 256> t{};
    for (int b = 0; b < 256; ++b)
      t[b] = {from_byte[b], static_cast<unsigned char>(b)};
    std::sort(t.begin(), t.end());
    return t;
  }();
  const auto it = std::lower_bound(by_char.begin(), by_char.end(),
                                   std::pair<char16_t, unsigned char>{c, 0});
  if (it == by_char.end() || it->first != c)
    return '?';
  return char(it->second);
}

} // namespace

QString from_8bit(QByteArrayView text) {
  const auto &table = decode_table();
  QString out(text.size(), Qt::Uninitialized);
  QChar *dst = out.data();
  for (qsizetype i = 0; i < text.size(); ++i)
    dst[i] = QChar(table[static_cast<unsigned char>(text[i])]);
  return out;
}

QByteArray to_8bit(const QString &text) {
  const auto &from_byte = decode_table();
  QByteArray out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    // A character outside the basic plane is one character, one "?".
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      ++i;
      out += '?';
      continue;
    }
    out += byte_of(c.unicode(), from_byte);
  }
  return out;
}
