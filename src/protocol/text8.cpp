#include "text8.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

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
  QStringEncoder encoder("windows-1252");
  if (!encoder.isValid())
    return text.toLatin1();
  QByteArray out = encoder.encode(text);
  return encoder.hasError() ? text.toLatin1() : out;
}
