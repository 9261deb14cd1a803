#include "atomic_file.h"

#include <QSaveFile>

FileSaveResult save_file_atomically(const QString &path, const QByteArray &bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
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
  if (!file.commit())
    return {FileSaveResult::failed, file.errorString()};
  return {};
}
