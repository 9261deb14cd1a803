#pragma once

#include "reradu/reradu_state.h"
#include "rtd/rtd_message.h"
#include "toolkit/one_at_a_time.h"
#include "toolkit/seams.h"

#include <QHostAddress>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QUdpSocket;
class Tqdimport_form;
class RtdDriver;

// The RERadu typewriter: eight lines of the current frame to type, page
// through the 100 frames of reradu.dat and send to the display boards.
class Treradu_form : public QWidget {
  Q_OBJECT
public:
  // Creation makes sure reradu.dat exists.
  Treradu_form(ReraduState &state, const Seams &seams, QWidget *parent = nullptr);
  ~Treradu_form() override;

  // Both are created after the editor; start-up hands them over.
  void set_rtd_driver(RtdDriver *rtd) { rtd_ = rtd; }
  void set_import_form(Tqdimport_form *import) { import_ = import; }
  // Where the {reradu} packet goes; the program broadcasts.
  void set_commentator_address(const QHostAddress &address) { commentator_address_ = address; }
  const QHostAddress &commentator_address() const { return commentator_address_; }
  const QUdpSocket *commentator_socket() const { return WSocket1; }

  // Shows the import window modally; tests replace it, as the real one runs
  // a nested event loop until the window is closed.
  std::function<void(Tqdimport_form &)> show_import_modally;

  // Send: a Send started while another is in progress (from one of its event
  // passes) keeps the lines it was given and goes out after that one.
  void send_btnClick();
  void prev_btnClick();
  void next_btnClick();
  void import_btnClick();

  QLineEdit *edit(int line) const { return edits_[size_t(line - 1)]; } // line 1..8

  // The frame number.
  QLabel *frame_label() const { return Label1; }
  // The sockets' state.
  QLabel *status_label() const { return Label2; }
  QPushButton *send_button() const { return send_btn; }
  QPushButton *prev_button() const { return prev_btn; }
  QPushButton *next_button() const { return next_btn; }
  QPushButton *import_button() const { return import_btn; }

protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  void FormCreate();
  void FormShow();
  void FormHide();
  // The window sees the page keys before the focused edit box; true when used.
  bool FormKeyDown(int key);

  bool store_screen();
  bool show_current_frame();
  void page_to(int frame);
  void send_frame(const RtdLines &lines);

  QLabel *Label1 = nullptr;
  QLabel *Label2 = nullptr;
  QPushButton *send_btn = nullptr;
  QPushButton *prev_btn = nullptr;
  QPushButton *next_btn = nullptr;
  QPushButton *import_btn = nullptr;

  ReraduState &state_;
  const Seams &seams_;
  RtdDriver *rtd_ = nullptr;
  Tqdimport_form *import_ = nullptr;
  QHostAddress commentator_address_ = QHostAddress(QHostAddress::Broadcast);

  std::array<QLineEdit *, 8> edits_{};
  QUdpSocket *WSocket1;
  bool being_shown_ = false;
  // A Send clicked during a Send's event pass sends after it.
  OneAtATime<RtdLines> sends_{[this](const RtdLines &lines) { send_frame(lines); }};
};

// The {reradu} packet for eight lines: "{reradu}+{data}," then each line and ",".
QByteArray reradu_packet(const RtdLines &lines);
