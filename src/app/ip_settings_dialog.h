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

  void BitBtn2Click();

  // The address typed.
  QLineEdit *address_edit() const { return Edit1; }
  // "Listen to All Senders".
  QPushButton *all_senders_button() const { return BitBtn2; }

protected:
  void showEvent(QShowEvent *event) override;

private:
  QLineEdit *Edit1 = nullptr;
  QPushButton *BitBtn1 = nullptr;
  QPushButton *BitBtn2 = nullptr;
  QGroupBox *GroupBox1 = nullptr;
};
