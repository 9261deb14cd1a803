#include "dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

Dialogs::~Dialogs() = default;

void Dialogs::general_error(QWidget *parent, const QString &system_text) {
  error(parent, system_text);
}

namespace {
QString box_title() { return QApplication::applicationDisplayName(); }
} // namespace

void QtDialogs::error(QWidget *parent, const QString &text) {
  QMessageBox::critical(parent, box_title(), text, QMessageBox::Ok);
}

void QtDialogs::information(QWidget *parent, const QString &text) {
  QMessageBox::information(parent, box_title(), text, QMessageBox::Ok);
}

bool QtDialogs::confirm(QWidget *parent, const QString &text) {
  return QMessageBox::question(parent, box_title(), text,
                               QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Cancel) == QMessageBox::Ok;
}

void QtDialogs::plain(QWidget *parent, const QString &text) {
  QMessageBox box(QMessageBox::NoIcon, box_title(), text, QMessageBox::Ok, parent);
  box.exec();
}

QString QtDialogs::open_file(QWidget *parent, const QString &caption,
                             const QString &filter, const QString &dir) {
  return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}
