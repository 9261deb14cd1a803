#include "frame_store.h"

#include <QFile>

namespace {

constexpr qint64 record_size = qint64(sizeof(Tqd_frame));

QString short_read_text() { return QStringLiteral("Read beyond end of file"); }

QString write_error_text(const QFile &f) {
  return f.error() != QFileDevice::NoError ? f.errorString() : QStringLiteral("Disk full");
}

// Read and write, an existing file only: opening never creates it.
bool open_existing(QFile &f) {
  return f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered);
}

void seek_record(QFile &f, int n) {
  if (!f.seek(record_size * n))
    throw FrameFileError(f.errorString());
}

void read_record(QFile &f, Tqd_frame &buffer) {
  const qint64 got = f.read(buffer.bytes(), record_size);
  if (got < 0)
    throw FrameFileError(f.errorString());
  if (got != record_size)
    throw FrameFileError(short_read_text());
}

void write_record(QFile &f, const Tqd_frame &buffer) {
  if (f.write(buffer.bytes(), record_size) != record_size)
    throw FrameFileError(write_error_text(f));
}

void close_checked(QFile &f) {
  const bool flushed = f.flush();
  f.close();
  if (!flushed || f.error() != QFileDevice::NoError)
    throw FrameFileError(write_error_text(f));
}

} // namespace

FrameFileError::FrameFileError(const QString &system_text)
    : std::runtime_error(system_text.toLocal8Bit().toStdString()) {}

void ensure_frame_file(const DataFolder &data, QdEditorState &editor) {
  editor.qd_current_frame = 0;
  {
    QFile existing(data.file(QLatin1StringView(qd_frame_file_name)));
    if (open_existing(existing))
      return; // an existing file is left exactly as it is
  }
  QFile f(data.file(QLatin1StringView(qd_frame_file_name)));
  if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
    return;
  editor.frame.blank();
  for (int n = 0; n < kQdFrameCount; ++n)
    write_record(f, editor.frame);
  close_checked(f);
}

void load_frame(const DataFolder &data, Tqd_frame &buffer, int n) {
  buffer.blank();
  QFile f(data.file(QLatin1StringView(qd_frame_file_name)));
  if (!open_existing(f))
    return;
  seek_record(f, n);
  read_record(f, buffer);
  f.close();
}

void save_frame(const DataFolder &data, const Tqd_frame &buffer, int n) {
  QFile f(data.file(QLatin1StringView(qd_frame_file_name)));
  if (!open_existing(f))
    return;
  seek_record(f, n);
  write_record(f, buffer);
  close_checked(f);
}

bool load_all_frames(const DataFolder &data, QdImportFrames &import, int start) {
  import.start_frame = start;
  QFile f(data.file(QLatin1StringView(qd_frame_file_name)));
  if (!open_existing(f))
    return false;
  for (Tqd_frame &frame : import.frames)
    read_record(f, frame);
  f.close();
  return true;
}

bool save_all_frames(const DataFolder &data, const QdImportFrames &import) {
  QFile f(data.file(QLatin1StringView(qd_frame_file_name)));
  if (!open_existing(f))
    return false;
  for (const Tqd_frame &frame : import.frames)
    write_record(f, frame);
  close_checked(f);
  return true;
}

void blank_all_frames(QdImportFrames &import) {
  for (Tqd_frame &frame : import.frames)
    frame.blank();
}
