#include "ip_settings_dialog.h"

#include "listening_address.h"

#include <QFont>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {
QFont sans(int pixels, bool bold) {
  QFont f(QStringLiteral("Sans Serif"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}
} // namespace

Tip_listening_address_form::Tip_listening_address_form(QWidget *parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("IP Settings"));
  setAccessibleName(windowTitle());
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(460, 194);
  setAutoFillBackground(true);
  setStyleSheet(QStringLiteral("Tip_listening_address_form { background: #FFFF00; }"));

  GroupBox1 = new QGroupBox(QStringLiteral("Listening Address"), this);
  GroupBox1->setGeometry(100, 28, 273, 101);
  GroupBox1->setStyleSheet(QStringLiteral("QGroupBox { background: #A6CAF0; }"));

  Edit1 = new QLineEdit(GroupBox1);
  Edit1->setGeometry(24, 20, 225, 32);
  Edit1->setFont(sans(19, true));
  Edit1->setAccessibleName(QStringLiteral("Listening Address"));

  BitBtn2 = new QPushButton(QStringLiteral("Listen to All Senders"), GroupBox1);
  BitBtn2->setGeometry(36, 68, 197, 25);
  BitBtn2->setAutoDefault(false);
  connect(BitBtn2, &QPushButton::clicked, this, &Tip_listening_address_form::BitBtn2Click);

  BitBtn1 = new QPushButton(QStringLiteral("\u2714 OK"), this);
  BitBtn1->setGeometry(16, 140, 75, 41);
  BitBtn1->setDefault(true);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void Tip_listening_address_form::BitBtn2Click() {
  Edit1->setText(QString::fromLatin1(kAllSenders));
}

void Tip_listening_address_form::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  Edit1->setFocus();
}
