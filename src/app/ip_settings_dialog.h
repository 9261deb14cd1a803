#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

// "IP Settings": the operator types the one sender address to listen to.
class Tip_listening_address_form : public QDialog {
  Q_OBJECT
public:
  explicit Tip_listening_address_form(QWidget *parent = nullptr);

  QLineEdit *Edit1 = nullptr;
  QPushButton *BitBtn1 = nullptr; // OK
  QPushButton *BitBtn2 = nullptr; // "Listen to All Senders"

  void BitBtn2Click();

protected:
  void showEvent(QShowEvent *event) override;

private:
  QGroupBox *GroupBox1 = nullptr;
};
