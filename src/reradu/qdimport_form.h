#pragma once

#include "reradu/frame_store.h"
#include "toolkit/seams.h"

#include <QDialog>

#include <memory>

class QAction;
class QLabel;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;

// "Import Text Into RERadu": works on an in-memory copy of all 100 frames,
// which the editor fills before showing it, and writes them all back to
// reradu.dat whenever it closes.
class Tqdimport_form : public QDialog {
  Q_OBJECT
public:
  explicit Tqdimport_form(const Seams &seams, QWidget *parent = nullptr);
  ~Tqdimport_form() override;

  QdImportFrames &frames() { return *frames_; }
  const QdImportFrames &frames() const { return *frames_; }

  // Imports the text file into the frames from the start frame on.
  void import_text(const QString &path);
  void Import1Click();
  void BlankAllFrames1Click();

  // Every way of closing ends here: the frames are saved, closing goes on.
  void done(int result) override;

  QString remembered_directory() const { return remembered_dir_; }

  QAction *import_action() const { return Import1; }
  QAction *blank_all_action() const { return BlankAllFrames1; }
  // The help text, then the text imported.
  QPlainTextEdit *text_view() const { return Memo1; }
  // "Current Frame".
  QLabel *frame_label() const { return Label1; }
  // "Save Changes".
  QPushButton *save_button() const { return BitBtn1; }

protected:
  void showEvent(QShowEvent *event) override;

private:
  void FormCreate();
  void FormShow();
  void FormCloseQuery();

  QMenuBar *MainMenu1 = nullptr;
  QAction *Import1 = nullptr;
  QAction *BlankAllFrames1 = nullptr;
  QPlainTextEdit *Memo1 = nullptr;
  QLabel *Label1 = nullptr;
  QPushButton *BitBtn1 = nullptr;

  const Seams &seams_;
  std::unique_ptr<QdImportFrames> frames_;
  QString remembered_dir_;
};

// The help text of the import window, one memo line per entry.
QStringList qdimport_help_text();
