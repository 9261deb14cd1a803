#include "seikoreradu_form.h"

#include "protocol/text8.h"
#include "seiko/seiko_monitor.h"
#include "toolkit/outer_size.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {
constexpr int kEditTops[Tseikoreradu_form::kLines] = {8, 33, 58, 82, 107, 132};
}

Tseikoreradu_form::Tseikoreradu_form(SeikoMonitor &monitor, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      monitor_(monitor) {
  setWindowTitle(QStringLiteral("Seiko Rirov & Evida Vodovoviri"));
  keep_outer_size(this, QSize(267, 186), false);
  move(345, 105);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::red);
  setPalette(pal);
  setAutoFillBackground(true);

  for (int k = 0; k < kLines; ++k) {
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("Edit%1").arg(k + 1));
    edit->setAccessibleName(QStringLiteral("Panel %1").arg(k + 1));
    edit->setGeometry(52, kEditTops[k], 121, 21);
    edit->setMaxLength(kLineLength);
    QPalette ep = edit->palette();
    ep.setColor(QPalette::Base, Qt::white);
    ep.setColor(QPalette::Text, Qt::black);
    edit->setPalette(ep);
    edits_[k] = edit;
  }
  BitBtn1 = new QPushButton(QStringLiteral("&Send <CR>"), this);
  BitBtn1->setGeometry(180, 24, 75, 65);
  BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                            QStringLiteral("OK"), this);
  BitBtn2->setGeometry(4, 128, 41, 25);
  // Enter is the window's own key; no button takes it as the default.
  BitBtn1->setAutoDefault(false);
  BitBtn2->setAutoDefault(false);
  connect(BitBtn1, &QPushButton::clicked, this, &Tseikoreradu_form::send_lines);
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::accept);

  QWidget *previous = edits_[0];
  for (QWidget *w : {static_cast<QWidget *>(edits_[1]), static_cast<QWidget *>(edits_[2]),
                     static_cast<QWidget *>(edits_[3]), static_cast<QWidget *>(edits_[4]),
                     static_cast<QWidget *>(edits_[5]), static_cast<QWidget *>(BitBtn1),
                     static_cast<QWidget *>(BitBtn2)}) {
    setTabOrder(previous, w);
    previous = w;
  }
  for (QLineEdit *edit : edits_)
    edit->installEventFilter(this);
  BitBtn1->installEventFilter(this);
  BitBtn2->installEventFilter(this);
}

void Tseikoreradu_form::send_lines() {
  monitor_.run_handler([this] {
    for (int k = 1; k <= kLines; ++k)
      monitor_.set_panel(monitor_.state().serial_selector, k, to_8bit(line(k)->text()));
    monitor_.end_update(monitor_.state().serial_selector);
  });
}

void Tseikoreradu_form::FormShow() { edits_[0]->setFocus(); }

void Tseikoreradu_form::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  FormShow();
}

bool Tseikoreradu_form::FormKeyDown(int key) {
  switch (key) {
  case Qt::Key_Escape:
    accept(); // Esc closes with OK
    return true;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    send_lines();
    return true;
  default:
    return false;
  }
}

void Tseikoreradu_form::keyPressEvent(QKeyEvent *event) {
  if (FormKeyDown(event->key()))
    return;
  QDialog::keyPressEvent(event);
}

bool Tseikoreradu_form::eventFilter(QObject *watched, QEvent *event) {
  // Only plain key presses: a shortcut override passes through so the press
  // that follows reaches this filter exactly once.
  if (event->type() == QEvent::KeyPress &&
      FormKeyDown(static_cast<QKeyEvent *>(event)->key()))
    return true;
  return QDialog::eventFilter(watched, event);
}
