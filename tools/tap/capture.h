#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace tap {

// One captured datagram: when it came (milliseconds since the recording
// started), who sent it ("a.b.c.d:port", or any word in a hand-written file)
// and its bytes.
struct CaptureRecord {
  double offset_ms = 0;
  QString sender;
  QByteArray payload;

  bool operator==(const CaptureRecord &) const = default;
};

// The first line that record writes; any line starting with '#' is a comment.
QByteArray capture_header();

// Escapes a payload so that it fits on one line: bytes 0-31, 127-255 become
// \xHH, a backslash becomes \\; every other byte stands for itself.
QByteArray escape_payload(QByteArrayView payload);

// Reverses escape_payload. Raw bytes other than the backslash are taken as
// they stand, so a hand-edited line may hold 8-bit text. On a bad escape
// returns nullopt and says why in *error, counting columns from first_column.
std::optional<QByteArray> unescape_payload(QByteArrayView line, QString *error,
                                           qsizetype first_column = 1);

// One capture line without its line end: "<offset> <sender> <escaped payload>".
QByteArray format_record(const CaptureRecord &record);

// Parses one line (without its line end); nullopt with *error on a malformed
// line. Comment and blank lines are not records: callers skip them first.
std::optional<CaptureRecord> parse_record(QByteArrayView line, QString *error);

// True for lines that carry no record (blank, or starting with '#').
bool is_comment_line(QByteArrayView line);

struct CaptureParse {
  QList<CaptureRecord> records;
  int error_line = 0; // 1-based; 0 when the whole text parsed
  QString error;
  bool ok() const { return error_line == 0; }
};

// Parses a whole capture file. Accepts LF or CRLF line ends; offsets must not
// go backwards, since play could not honour them.
CaptureParse parse_capture(QByteArrayView text);

} // namespace tap
