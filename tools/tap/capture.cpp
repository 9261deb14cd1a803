#include "tap/capture.h"

#include <cmath>

namespace tap {

namespace {

bool needs_escape(unsigned char c) { return c < 0x20 || c >= 0x7f || c == '\\'; }

int hex_digit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

} // namespace

QByteArray capture_header() {
  return "# commentator-tap capture 1: offset-ms sender payload (\\xHH escapes, \\\\ for \\)";
}

QByteArray escape_payload(QByteArrayView payload) {
  static const char digits[] = "0123456789ABCDEF";
  QByteArray out;
  out.reserve(payload.size() + payload.size() / 4);
  for (const char ch : payload) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      out += "\\\\";
    } else if (needs_escape(c)) {
      out += "\\x";
      out += digits[c >> 4];
      out += digits[c & 0xf];
    } else {
      out += ch;
    }
  }
  return out;
}

std::optional<QByteArray> unescape_payload(QByteArrayView line, QString *error,
                                           qsizetype first_column) {
  QByteArray out;
  out.reserve(line.size());
  for (qsizetype i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\r' || c == '\n' || c == '\0') {
      *error = QStringLiteral("raw byte %1 at column %2 (write it as %1)")
                   .arg(QString::fromLatin1(escape_payload(line.sliced(i, 1))))
                   .arg(first_column + i);
      return std::nullopt;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i + 1 < line.size() && line[i + 1] == '\\') {
      out += '\\';
      ++i;
      continue;
    }
    if (i + 3 < line.size() && line[i + 1] == 'x') {
      const int hi = hex_digit(line[i + 2]);
      const int lo = hex_digit(line[i + 3]);
      if (hi >= 0 && lo >= 0) {
        out += char(hi * 16 + lo);
        i += 3;
        continue;
      }
    }
    const QByteArrayView rest = line.sliced(i, std::min<qsizetype>(4, line.size() - i));
    *error = QStringLiteral("bad escape \"%1\" at column %2 (write \\\\ for a backslash, "
                            "\\xHH for a byte)")
                 .arg(QString::fromLatin1(rest.toByteArray()))
                 .arg(first_column + i);
    return std::nullopt;
  }
  return out;
}

QByteArray format_record(const CaptureRecord &record) {
  QByteArray line = QByteArray::number(record.offset_ms, 'f', 3);
  line += ' ';
  line += record.sender.isEmpty() ? QByteArray("-") : record.sender.toUtf8();
  line += ' ';
  line += escape_payload(record.payload);
  return line;
}

bool is_comment_line(QByteArrayView line) {
  const QByteArrayView t = line.trimmed();
  return t.isEmpty() || t.front() == '#';
}

std::optional<CaptureRecord> parse_record(QByteArrayView line, QString *error) {
  const qsizetype sp1 = line.indexOf(' ');
  if (sp1 <= 0) {
    *error = QStringLiteral("expected \"<offset-ms> <sender> <payload>\"");
    return std::nullopt;
  }
  bool ok = false;
  const double offset = line.first(sp1).toDouble(&ok);
  if (!ok || !std::isfinite(offset) || offset < 0) {
    *error = QStringLiteral("bad time offset \"%1\" (milliseconds, 0 or more)")
                 .arg(QString::fromUtf8(line.first(sp1).toByteArray()));
    return std::nullopt;
  }
  const QByteArrayView after = line.sliced(sp1 + 1);
  const qsizetype sp2 = after.indexOf(' ');
  // A line that ends after the sender is an empty datagram: an editor may
  // have taken away the trailing blank.
  const QByteArrayView sender = sp2 < 0 ? after : after.first(sp2);
  if (sender.isEmpty()) {
    *error = QStringLiteral("missing sender after the time offset");
    return std::nullopt;
  }
  CaptureRecord record;
  record.offset_ms = offset;
  record.sender = QString::fromUtf8(sender.toByteArray());
  if (sp2 < 0)
    return record;
  auto payload = unescape_payload(after.sliced(sp2 + 1), error, sp1 + sp2 + 3);
  if (!payload)
    return std::nullopt;
  record.payload = std::move(*payload);
  return record;
}

CaptureParse parse_capture(QByteArrayView text) {
  CaptureParse result;
  int number = 0;
  qsizetype pos = 0;
  while (pos < text.size()) {
    qsizetype end = text.indexOf('\n', pos);
    if (end < 0)
      end = text.size();
    QByteArrayView line = text.sliced(pos, end - pos);
    pos = end + 1;
    ++number;
    // A raw CR is always escaped by record, so one at the end is a CRLF file.
    if (line.endsWith('\r'))
      line.chop(1);
    if (is_comment_line(line))
      continue;
    QString error;
    auto record = parse_record(line, &error);
    if (record && !result.records.isEmpty() &&
        record->offset_ms < result.records.last().offset_ms) {
      error = QStringLiteral("time offset %1 is before the previous datagram's %2")
                  .arg(record->offset_ms)
                  .arg(result.records.last().offset_ms);
      record.reset();
    }
    if (!record) {
      result.error_line = number;
      result.error = error;
      result.records.clear();
      return result;
    }
    result.records.append(std::move(*record));
  }
  return result;
}

} // namespace tap
