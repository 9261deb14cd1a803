#pragma once

#include "toolkit/seams.h"

#include <QWidget>

class QGroupBox;
class QListView;
class RtdDriver;

// The RTD driver's window: its caption and its list of messages. It closes
// the serial port and the RTD socket when hidden; the driver does the rest.
class Trtd_form : public QWidget {
  Q_OBJECT
public:
  Trtd_form(RtdDriver &driver, const Seams &seams, QWidget *parent = nullptr);
  ~Trtd_form() override;

  RtdDriver &driver() const { return driver_; }
  int log_top_index() const;
  QGroupBox *messages_box() const { return GroupBox1; }
  QListView *message_list() const { return ListBox1; }

protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  void FormShow();
  void FormHide();
  void scroll_to_newest();

  RtdDriver &driver_;
  const Seams &seams_;
  QGroupBox *GroupBox1;
  QListView *ListBox1;
};
