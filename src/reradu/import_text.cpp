#include "import_text.h"

namespace {

// Hands out the lines of a text one by one.
class LineReader {
public:
  explicit LineReader(QByteArrayView text) : text_(text) {}
  bool at_end() const { return pos_ >= text_.size(); }
  QByteArrayView next() {
    const qsizetype start = pos_;
    while (pos_ < text_.size() && text_[pos_] != '\r' && text_[pos_] != '\n')
      ++pos_;
    const QByteArrayView line = text_.sliced(start, pos_ - start);
    if (pos_ < text_.size()) {
      const bool cr = text_[pos_] == '\r';
      ++pos_;
      if (cr && pos_ < text_.size() && text_[pos_] == '\n')
        ++pos_; // CR LF is one line end
    }
    return line;
  }

private:
  QByteArrayView text_;
  qsizetype pos_ = 0;
};

} // namespace

ImportEnd import_lines(QdImportFrames &import, QByteArrayView text) {
  LineReader reader(text);
  int i = import.start_frame;
  int j = 0;
  for (;;) {
    if (reader.at_end())
      return ImportEnd::text_ended;
    if (i > kQdFrameCount - 1)
      return ImportEnd::last_frame_reached;
    const QByteArrayView line = reader.next();
    if (line.contains(QByteArrayView("~~"))) {
      ++i;
      j = 0;
      continue;
    }
    import.frames[size_t(i)].set_line(j, line);
    if (++j == Tqd_frame::kLineCount) {
      j = 0;
      ++i;
    }
  }
}
