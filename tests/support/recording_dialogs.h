#pragma once

#include "toolkit/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

// Stands in for the message boxes and file dialog in tests: records every box
// and answers from a script, so no test ever blocks on a modal dialog.
class RecordingDialogs final : public Dialogs {
public:
  struct Box {
    QString kind; // "error", "information", "confirm", "plain"
    QString text;
  };

  void error(QWidget *, const QString &text) override { boxes.append({"error", text}); }
  void information(QWidget *, const QString &text) override {
    boxes.append({"information", text});
  }
  bool confirm(QWidget *, const QString &text) override {
    boxes.append({"confirm", text});
    return confirm_answer;
  }
  void plain(QWidget *, const QString &text) override { boxes.append({"plain", text}); }
  QString open_file(QWidget *, const QString &caption, const QString &filter,
                    const QString &dir) override;

  QStringList texts() const;

  QList<Box> boxes;
  bool confirm_answer = true;
  QStringList files_to_open; // answers of open_file, first first; empty = cancel
  QStringList file_filters;  // the filters asked for
  QStringList file_dirs;     // the start directories asked for
};
