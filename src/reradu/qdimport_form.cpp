#include "qdimport_form.h"

#include "reradu/import_text.h"
#include "toolkit/dialogs.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

QStringList qdimport_help_text() {
  return {
      QStringLiteral("This utility allows importing of text data into the Rirov & Evida "
                     "Vodovoviri. The import will start "),
      QStringLiteral("at the currently chosen frame and import up to 10 lines per frame until "
                     "it runs out of frames or "),
      QStringLiteral("runs out of text.."),
      QString(),
      QStringLiteral("In the imported text, any line composed of the ~ character will be "
                     "interpreted as \"end of "),
      QStringLiteral("frame\". For example:"),
      QString(),
      QStringLiteral("HELLO FRAME A"),
      QStringLiteral("~~~~~~~~~~~~"),
      QStringLiteral("HELLO FRAME B"),
      QStringLiteral("~~~~~~~~~~~~"),
      QStringLiteral("HELLO FRAME C"),
      QString(),
      QStringLiteral("The above will put \"HELLO FRAME A\" into the current frame, \"HELLO "
                     "FRAME B\" into the "),
      QStringLiteral("next frame, etc."),
      QString(),
      QString(),
      QStringLiteral("HELLO LINE 1"),
      QStringLiteral("HELLO LINE 2"),
      QStringLiteral("HELLO LINE 3"),
      QString(),
      QStringLiteral("The above will put all three lines of text into the current frame."),
      QString(),
      QStringLiteral(" "),
  };
}

Tqdimport_form::Tqdimport_form(const Seams &seams, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      seams_(seams) {
  setWindowTitle(QStringLiteral("Import Text Into RERadu"));
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(0xC0, 0xDC, 0xC0));
  setPalette(p);
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(11);
  setFont(f);

  MainMenu1 = new QMenuBar(this);
  Import1 = MainMenu1->addAction(QStringLiteral("&Import"));
  QMenu *utils = MainMenu1->addMenu(QStringLiteral("&Utils"));
  BlankAllFrames1 = utils->addAction(QStringLiteral("&Blank All Frames"));
  connect(Import1, &QAction::triggered, this, &Tqdimport_form::Import1Click);
  connect(BlankAllFrames1, &QAction::triggered, this, &Tqdimport_form::BlankAllFrames1Click);

  // The menu bar sits above a client area laid out at its design positions.
  auto *client = new QWidget(this);
  client->setFixedSize(501, 258);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(MainMenu1);
  layout->addWidget(client);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  Memo1 = new QPlainTextEdit(client);
  Memo1->setGeometry(8, 4, 461, 105);
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setPlainText(qdimport_help_text().join(QLatin1Char('\n')));

  auto *frame_box = new QGroupBox(QStringLiteral("Current Frame"), client);
  frame_box->setGeometry(136, 120, 185, 45);
  Label1 = new QLabel(frame_box);
  Label1->setGeometry(2, 14, 181, 29);
  Label1->setAlignment(Qt::AlignCenter);
  QFont lf(QStringLiteral("MS Sans Serif"));
  lf.setBold(true);
  lf.setPixelSize(24);
  Label1->setFont(lf);

  BitBtn1 = new QPushButton(QStringLiteral("Save Changes"), client);
  BitBtn1->setGeometry(4, 228, 101, 25);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

  FormCreate();
}

Tqdimport_form::~Tqdimport_form() = default; // FormDestroy: the buffers go with it

void Tqdimport_form::FormCreate() { frames_ = std::make_unique<QdImportFrames>(); }

void Tqdimport_form::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  if (!event->spontaneous())
    FormShow();
}

void Tqdimport_form::FormShow() {
  remembered_dir_ = QDir::currentPath();
  Label1->setText(QString::number(frames_->start_frame));
}

void Tqdimport_form::Import1Click() {
  const QString dir = remembered_dir_.isEmpty() ? QDir::currentPath() : remembered_dir_;
  const QString path = seams_.dialogs->open_file(this, QString(),
                                                 QStringLiteral("Text files (*.txt *.TXT)"), dir);
  if (path.isEmpty())
    return;
  import_text(path);
}

void Tqdimport_form::import_text(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    seams_.dialogs->error(this, QStringLiteral("Unable to open file ") + path);
    return;
  }
  const QByteArray text = f.readAll();
  if (f.error() != QFileDevice::NoError) {
    seams_.dialogs->general_error(this, f.errorString());
    return;
  }
  f.close();
  if (import_lines(*frames_, text) == ImportEnd::last_frame_reached)
    seams_.dialogs->information(this, QStringLiteral("Last frame reached. Import concluded."));
}

void Tqdimport_form::BlankAllFrames1Click() {
  if (!seams_.dialogs->confirm(this, QStringLiteral("Blank all frames? Are you sure?")))
    return;
  blank_all_frames(*frames_);
  seams_.dialogs->plain(this, QStringLiteral("All frames blanked in memory! Click \"Save\" to "
                                             "save changes, or proceed to import."));
}

void Tqdimport_form::FormCloseQuery() {
  // reradu.dat is opened by bare name, so the directory the dialog may have
  // moved to must be undone first.
  if (!remembered_dir_.isEmpty() && !QDir::setCurrent(remembered_dir_)) {
    seams_.dialogs->general_error(
        this, QStringLiteral("Cannot change to the directory %1").arg(remembered_dir_));
    return;
  }
  try {
    save_all_frames(seams_.data_folder, *frames_); // a file that cannot be opened is not reported
  } catch (const FrameFileError &e) {
    seams_.dialogs->general_error(this, e.text());
  }
}

void Tqdimport_form::done(int result) {
  FormCloseQuery();
  QDialog::done(result);
}
