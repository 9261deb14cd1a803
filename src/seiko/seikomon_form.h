#pragma once

#include "time_text.h"
#include "toolkit/seams.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QWidget>

#include <array>
#include <functional>
#include <stdexcept>

class LedLabel;
class QPushButton;
class QSerialPort;
class QTcpSocket;
class QTimer;
class Tseikoreradu_form;

// What the monitor last sent, kept for the whole run.
struct SeikoMonitorState {
  static constexpr int kPanels = 6;
  int panel_count = kPanels;                    // panels the time of day and Clear address
  std::array<QByteArray, kPanels> panel_texts;  // [0] is panel 1; fitted, ten characters
  bool tod_on = false;                          // the time of day goes out every tick
  int serial_selector = 0;                      // from the last set_panel; 0: no serial line
  quint16 display_port = 29099;                 // the display's port; nothing connects by it yet
};

// A serial line that could not be opened or written: it ends the handler
// that caused the write, so nothing after the failing message is sent or
// stored.
class SeikoSerialError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The Seiko display monitor: sends panel and update-end messages to the
// display connection (and to serial COM n when a caller's selector n is above
// 0) and mirrors the panels on six LED read-outs.
class Tseikomon_form : public QWidget {
  Q_OBJECT
public:
  Tseikomon_form(SeikoMonitorState &state, const Seams &seams, QWidget *parent = nullptr);
  ~Tseikomon_form() override;

  // One panel message (panel 1..6); a negative panel only stores the
  // selector and repaints. The read-outs change at end_update. Both throw
  // SeikoSerialError when the serial line fails, before anything else of
  // the call is done; callers run them inside run_handler.
  void set_panel(int selector, int panel, QByteArrayView text);
  // The update-end message; a visible window then shows the stored texts.
  void end_update(int selector);

  // Runs one handler that writes to the display. A serial failure ends the
  // handler there and is reported, once per run of failures; false then.
  bool run_handler(const std::function<void()> &handler);

  // Connects WSocket1 to the display; messages go out once it is connected.
  void connect_display(const QString &host, quint16 port);
  QTcpSocket *display() const { return WSocket1; }

  // The typewriter the Message button opens, and how it is run modally
  // (tests replace it so nothing blocks).
  void set_typewriter(Tseikoreradu_form *typewriter) { typewriter_ = typewriter; }
  std::function<void(Tseikoreradu_form &)> run_typewriter;
  // The time of day the ticks send.
  std::function<clock_time()> clock = read_clock;

  void rTimer();
  void clear_btnClick();
  void tod_btnClick();
  void msg_btnClick();
  void update_tod_button();

  SeikoMonitorState &state() { return state_; }
  LedLabel *panel_label(int panel) const { return panels_.at(panel - 1); }
  QPushButton *clear_button() const { return clear_btn; }
  QPushButton *tod_button() const { return tod_btn; }
  QPushButton *msg_button() const { return msg_btn; }
  QTimer *timer() const { return r; }

protected:
  void showEvent(QShowEvent *event) override;

private:
  void FormCreate();
  void FormShow();
  void FormDestroy();
  void send_display(const QByteArray &message);
  void send_serial(int selector, QByteArrayView body);
  void open_serial(int selector);
  void report_serial(const QString &text);

  SeikoMonitorState &state_;
  Seams seams_;
  Tseikoreradu_form *typewriter_ = nullptr;
  QTcpSocket *WSocket1 = nullptr;
  QSerialPort *serial_ = nullptr;
  int serial_port_number_ = 0;
  bool serial_reported_ = false;
  std::array<LedLabel *, SeikoMonitorState::kPanels> panels_{};
  QPushButton *clear_btn = nullptr;
  QPushButton *tod_btn = nullptr;
  QPushButton *msg_btn = nullptr;
  QTimer *r = nullptr;
};
