#pragma once

#include <QString>

class QWidget;

// Every box the program shows goes through this seam, so that core code never
// opens a modal dialog itself and tests can replace the boxes with a recorder.
class Dialogs {
public:
  virtual ~Dialogs();

  // The four kinds of message box.
  virtual void error(QWidget *parent, const QString &text) = 0;       // error, OK
  virtual void information(QWidget *parent, const QString &text) = 0; // information, OK
  virtual bool confirm(QWidget *parent, const QString &text) = 0;     // OK / Cancel; true on OK
  virtual void plain(QWidget *parent, const QString &text) = 0;       // plain, OK

  // A file-open dialog; returns the chosen file or an empty text on cancel.
  virtual QString open_file(QWidget *parent, const QString &caption,
                            const QString &filter, const QString &dir) = 0;

  // The general error report for an input/output failure after a file was
  // opened: an error box with the system's error text.
  void general_error(QWidget *parent, const QString &system_text);
};

// The real boxes, used by the program.
class QtDialogs final : public Dialogs {
public:
  void error(QWidget *parent, const QString &text) override;
  void information(QWidget *parent, const QString &text) override;
  bool confirm(QWidget *parent, const QString &text) override;
  void plain(QWidget *parent, const QString &text) override;
  QString open_file(QWidget *parent, const QString &caption, const QString &filter,
                    const QString &dir) override;
};
