#include "atomic_file.h"

#include <QSaveFile>

FileSaveResult save_file_atomically(const QString &path, const QByteArray &bytes) {
  QSaveFile file(path);
  // Unbuffered, so a failing write shows in write() and not in a flush that
  // commit() does not report.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return {FileSaveResult::not_created, file.errorString()};
  // A write on a full disk can come back short without an error, and commit()
  // would then report success for a truncated file: check the length.
  const qint64 written = file.write(bytes);
  if (written != bytes.size()) {
    const QString why = written < 0
                            ? file.errorString()
                            : QStringLiteral("Could not write %1: %2 of %3 bytes were written")
                                  .arg(path)
                                  .arg(written)
                                  .arg(bytes.size());
    file.cancelWriting();
    return {FileSaveResult::failed, why};
  }
  // What is on disk must be all of it before the old file is replaced.
  if (file.size() != bytes.size()) {
    file.cancelWriting();
    return {FileSaveResult::failed,
            QStringLiteral("Could not write %1: the file holds %2 of %3 bytes")
                .arg(path)
                .arg(file.size())
                .arg(bytes.size())};
  }
  if (!file.commit())
    return {FileSaveResult::failed, file.errorString()};
  return {};
}
