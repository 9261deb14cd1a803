#include "recording_dialogs.h"

QString RecordingDialogs::open_file(QWidget *, const QString &, const QString &filter,
                                    const QString &dir) {
  file_filters.append(filter);
  file_dirs.append(dir);
  return files_to_open.isEmpty() ? QString() : files_to_open.takeFirst();
}

QStringList RecordingDialogs::texts() const {
  QStringList out;
  for (const Box &b : boxes)
    out.append(b.text);
  return out;
}
