#pragma once

#include <QByteArray>
#include <QString>

// The outcome of replacing a file.
struct FileSaveResult {
  enum Status {
    saved,
    not_created, // the file could not be created: skipped, as the callers want
    failed,      // a write or the final replace failed: the old file is whole
  };
  Status status = saved;
  QString error; // the system's error text when failed
};

// Writes bytes to a temporary file beside path and replaces path with it only
// when every byte is on disk, so a failed save never leaves half a file.
FileSaveResult save_file_atomically(const QString &path, const QByteArray &bytes);
