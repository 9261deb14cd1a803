#pragma once

#include "seiko/seiko_state.h"
#include "seiko/time_text.h"
#include "toolkit/seams.h"

#include <QByteArrayView>
#include <QObject>

#include <functional>
#include <stdexcept>

class QSerialPort;
class QTcpSocket;
class QTimer;

// A serial line that could not be opened or written: it ends the handler
// that caused the write, so nothing after the failing message is sent or
// stored.
class SeikoSerialError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The Seiko display monitor's driver: sends panel and update-end messages to
// the display connection (and to serial COM n when a caller's selector n is
// above 0), keeps what it sent, and sends the time of day every 990 ms while
// its window is shown and the time of day is on.
class SeikoMonitor : public QObject {
  Q_OBJECT
public:
  SeikoMonitor(SeikoMonitorState &state, const Seams &seams, QObject *parent = nullptr);
  ~SeikoMonitor() override;

  // One panel message (panel 1..6); a negative panel only stores the
  // selector. The read-outs change at end_update. Both throw
  // SeikoSerialError when the serial line fails, before anything else of
  // the call is done; callers run them inside run_handler.
  void set_panel(int selector, int panel, QByteArrayView text);
  // The update-end message; then update_ended.
  void end_update(int selector);

  // Runs one handler that writes to the display. A serial failure ends the
  // handler there and is reported (serial_failed), once per run of
  // failures; false then.
  bool run_handler(const std::function<void()> &handler);

  // One tick: the time of day on every panel, when shown and switched on.
  void tick();
  // Blanks every panel, switching the time of day off first.
  void clear();
  void set_tod(bool on);
  void clear_panel_texts();
  // Whether the window is shown: the ticks send only then.
  void set_shown(bool shown) { shown_ = shown; }

  // Connects WSocket1 to the display; messages go out once it is connected.
  void connect_display(const QString &host, quint16 port);
  QTcpSocket *display() const { return WSocket1; }
  QTimer *timer() const { return r; }
  SeikoMonitorState &state() { return state_; }

  // The time of day the ticks send.
  std::function<clock_time()> clock = read_clock;

signals:
  // A panel was set: the window repaints.
  void panel_set();
  // The update-end message went out: a shown window puts the stored texts
  // on its read-outs.
  void update_ended();
  void tod_changed(bool on);
  void serial_failed(const QString &text);

private:
  void send_display(const QByteArray &message);
  void send_serial(int selector, QByteArrayView body);
  void open_serial(int selector);
  void report_serial(const QString &text);

  SeikoMonitorState &state_;
  Seams seams_;
  QTcpSocket *WSocket1 = nullptr;
  QSerialPort *serial_ = nullptr;
  QTimer *r = nullptr;
  int serial_port_number_ = 0;
  bool serial_reported_ = false;
  bool shown_ = false;
};
