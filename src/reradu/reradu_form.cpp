#include "reradu_form.h"

#include "protocol/text8.h"
#include "reradu/qdimport_form.h"
#include "rtd/rtd_driver.h"
#include "toolkit/dialogs.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QUdpSocket>

QByteArray reradu_packet(const RtdLines &lines) {
  QByteArray out("{reradu}+{data},");
  for (const QByteArray &line : lines) {
    out.append(line);
    out.append(',');
  }
  return out;
}

namespace {

QFont pixel_font(const QString &family, int pixels, bool bold = false) {
  QFont f(family);
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

void set_text_colour(QWidget *w, const QColor &colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  w->setPalette(p);
}

} // namespace

Treradu_form::Treradu_form(ReraduState &state, const Seams &seams, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      state_(state), seams_(seams), WSocket1(new QUdpSocket(this)) {
  show_import_modally = [](Tqdimport_form &form) { form.exec(); };

  setFixedSize(266, 270);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::black);
  setPalette(p);
  QFont terminal(QStringLiteral("Terminal"));
  terminal.setStyleHint(QFont::Monospace);
  terminal.setPixelSize(12);
  setFont(terminal);

  for (int k = 1; k <= 8; ++k) {
    auto *e = new QLineEdit(this);
    e->setGeometry(8, 4 + 24 * (k - 1), 249, 20);
    e->setAccessibleName(QStringLiteral("Line %1").arg(k));
    e->installEventFilter(this);
    edits_[size_t(k - 1)] = e;
  }
  Label2 = new QLabel(this);
  Label2->move(8, 196);
  Label2->setFont(pixel_font(QStringLiteral("Arial"), 11));
  set_text_colour(Label2, QColor(0xC0, 0xC0, 0xC0));
  Label1 = new QLabel(this);
  Label1->setGeometry(188, 208, 76, 24);
  Label1->setFont(pixel_font(QStringLiteral("MS Sans Serif"), 19, true));
  set_text_colour(Label1, Qt::yellow);

  const QFont button_font = pixel_font(QStringLiteral("MS Sans Serif"), 11);
  send_btn = new QPushButton(QStringLiteral("Send"), this);
  send_btn->setGeometry(4, 224, 75, 37);
  prev_btn = new QPushButton(QStringLiteral("PgUp"), this);
  prev_btn->setGeometry(116, 212, 55, 20);
  next_btn = new QPushButton(QStringLiteral("PgDn"), this);
  next_btn->setGeometry(116, 240, 55, 20);
  import_btn = new QPushButton(QStringLiteral("Import Text"), this);
  import_btn->setGeometry(184, 244, 75, 17);
  for (QPushButton *b : {send_btn, prev_btn, next_btn})
    b->setFont(button_font);
  import_btn->setFont(pixel_font(QStringLiteral("Arial"), 11));
  for (QPushButton *b : {send_btn, prev_btn, next_btn, import_btn})
    b->installEventFilter(this);
  connect(send_btn, &QPushButton::clicked, this, &Treradu_form::send_btnClick);
  connect(prev_btn, &QPushButton::clicked, this, &Treradu_form::prev_btnClick);
  connect(next_btn, &QPushButton::clicked, this, &Treradu_form::next_btnClick);
  connect(import_btn, &QPushButton::clicked, this, &Treradu_form::import_btnClick);

  QWidget *previous = edits_[0];
  for (QWidget *w : std::initializer_list<QWidget *>{
           edits_[1], edits_[2], edits_[3], edits_[4], edits_[5], edits_[6], edits_[7], send_btn,
           prev_btn, next_btn, import_btn}) {
    setTabOrder(previous, w);
    previous = w;
  }

  FormCreate();
}

Treradu_form::~Treradu_form() = default;

void Treradu_form::FormCreate() {
  try {
    ensure_frame_file(seams_.data_folder, state_.editor);
  } catch (const FrameFileError &e) {
    seams_.dialogs->general_error(this, e.text());
  }
}

bool Treradu_form::store_screen() {
  QdEditorState &ed = state_.editor;
  for (int k = 0; k < 8; ++k)
    ed.frame.set_line(k, to_8bit(edits_[size_t(k)]->text()));
  try {
    save_frame(seams_.data_folder, ed.frame, ed.qd_current_frame);
  } catch (const FrameFileError &e) {
    seams_.dialogs->general_error(this, e.text());
    return false;
  }
  return true;
}

bool Treradu_form::show_current_frame() {
  QdEditorState &ed = state_.editor;
  try {
    load_frame(seams_.data_folder, ed.frame, ed.qd_current_frame);
  } catch (const FrameFileError &e) {
    seams_.dialogs->general_error(this, e.text());
    return false;
  }
  for (int k = 0; k < 8; ++k)
    edits_[size_t(k)]->setText(from_8bit(ed.frame.line(k)));
  Label1->setText(QStringLiteral("%1/99").arg(ed.qd_current_frame));
  return true;
}

void Treradu_form::page_to(int frame) {
  if (!store_screen())
    return;
  state_.editor.qd_current_frame = frame;
  show_current_frame();
}

void Treradu_form::prev_btnClick() {
  const int n = state_.editor.qd_current_frame;
  page_to(n == 0 ? kQdFrameCount - 1 : n - 1);
}

void Treradu_form::next_btnClick() {
  const int n = state_.editor.qd_current_frame;
  page_to(n == kQdFrameCount - 1 ? 0 : n + 1);
}

bool Treradu_form::FormKeyDown(int key) {
  if (key != Qt::Key_PageUp && key != Qt::Key_PageDown)
    return false;
  if (being_shown_)
    return true;
  if (key == Qt::Key_PageUp)
    prev_btnClick();
  else
    next_btnClick();
  return true;
}

bool Treradu_form::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent *>(event)->key()))
    return true;
  return QWidget::eventFilter(watched, event);
}

void Treradu_form::keyPressEvent(QKeyEvent *event) {
  if (FormKeyDown(event->key()))
    return;
  QWidget::keyPressEvent(event);
}

void Treradu_form::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous())
    FormShow();
}

void Treradu_form::hideEvent(QHideEvent *event) {
  QWidget::hideEvent(event);
  if (!event->spontaneous())
    FormHide();
}

void Treradu_form::FormShow() {
  being_shown_ = true;
  setWindowTitle(QStringLiteral("v2.01 Marrick's Quillforge QD Type"));
  for (QLineEdit *e : edits_) {
    QPalette p = e->palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    e->setPalette(p);
  }
  show_current_frame();
  edits_[0]->setFocus();
  Label2->setText(
      QStringLiteral("Vorevadovid Winsock=%1").arg(state_.settings.qd_commentator_port));
  Label2->adjustSize();
  being_shown_ = false;
}

void Treradu_form::FormHide() {
  store_screen();
  if (WSocket1->state() != QAbstractSocket::UnconnectedState)
    WSocket1->close();
}

void Treradu_form::send_btnClick() {
  if (!store_screen())
    return;
  // Only the copies are cut to the display width; the frame keeps its lines.
  const int width = state_.settings.qd_chars_per_line;
  RtdLines lines;
  for (int k = 0; k < 8; ++k)
    lines[size_t(k)] = state_.editor.frame.line(k).left(width);
  sends_.call(lines);
}

void Treradu_form::send_frame(const RtdLines &lines) {
  const QdSettings &s = state_.settings;
  if (rtd_)
    rtd_->rtd_send(s.rtd_com_port, s.rtd_winsock_port, s.qd_code, lines);
  if (s.qd_commentator_port == 0)
    return;
  if (WSocket1->state() != QAbstractSocket::BoundState)
    WSocket1->bind(QHostAddress(QHostAddress::AnyIPv4), 0); // a failure leaves it closed
  if (seams_.process_events)
    seams_.process_events();
  const QByteArray packet = reradu_packet(lines);
  if (WSocket1->state() == QAbstractSocket::BoundState)
    WSocket1->writeDatagram(packet, commentator_address_, quint16(s.qd_commentator_port));
}

void Treradu_form::import_btnClick() {
  if (!store_screen())
    return;
  if (!import_)
    return;
  try {
    if (!load_all_frames(seams_.data_folder, import_->frames(), state_.editor.qd_current_frame)) {
      seams_.dialogs->error(this, QStringLiteral("File read error. Cannot proceed."));
      return;
    }
  } catch (const FrameFileError &e) {
    seams_.dialogs->general_error(this, e.text());
    return;
  }
  if (show_import_modally)
    show_import_modally(*import_);
  show_current_frame();
}
