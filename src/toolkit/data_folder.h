#pragma once

#include <QDir>
#include <QLatin1StringView>
#include <QString>

// Where the program keeps its files (commentator.dat, reradu.dat,
// v2globals.dat, feedhealth.ini). Empty means the process's current folder as
// it is at each moment, which is where they have always been (the text import
// may change it); a test names a folder of its own instead of moving the
// whole process there.
struct DataFolder {
  QString path;

  // A name that is already absolute stays as it is.
  QString file(const QString &name) const {
    return path.isEmpty() ? name : QDir(path).filePath(name);
  }
  QString file(QLatin1StringView name) const { return file(QString(name)); }
};
