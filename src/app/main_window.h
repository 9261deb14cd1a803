#pragma once

#include "app_state.h"
#include "feed_health.h"
#include "packet_log.h"
#include "packet_receiver.h"
#include "protocol/dispatcher.h"
#include "toolkit/frame_throttle.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QListView;
class Tip_listening_address_form;

// The main window: the status line, the packet log, the menu, and the two
// listeners whose datagrams it filters, dispatches and logs.
class Tcommentator0_form : public QMainWindow, public DispatchTarget {
  Q_OBJECT
public:
  explicit Tcommentator0_form(AppState &state, QWidget *parent = nullptr);
  ~Tcommentator0_form() override;

  // A screen the dispatcher shows and hands Packets of its kind to.
  struct Screen {
    // The window, made the first time it is asked for.
    std::function<QWidget *()> window;
    std::function<ApplyResult(QByteArrayView packet)> apply;
  };
  void set_screen(PacketKind kind, Screen screen);
  void set_ip_dialog(Tip_listening_address_form *dialog) { ip_dialog_ = dialog; }
  // Runs the dialog modally; true when closed with OK. Tests replace it.
  std::function<bool(Tip_listening_address_form &)> run_ip_dialog;

  // One received datagram on a listener (0 or 1): the filter, the feed's
  // counters, the dispatch, the log line.
  void handle_datagram(QByteArrayView datagram, QByteArrayView sender, int listener = 0);
  // Where accepted Packets go; tests wrap it to see every Packet arrive.
  std::function<void(QByteArrayView packet, DispatchTarget &target)> dispatch = dispatch_packet;

  void show_listening_address();
  void IPSettings1Click();
  void Exit1Click();

  PacketLog &log() { return log_; }
  PacketReceiver &receiver() { return receiver_; }
  QLabel *status_label() const { return Label3; }
  QListView *log_view() const { return ListBox1; }
  FeedHealth &feed() { return feed_; }
  QLabel *feed_line() const { return feed_line_; }

  // DispatchTarget
  bool main_window_visible() const override;
  void log_line(QByteArrayView line) override;
  void show_screen(PacketKind kind) override;
  void process_events() override;
  ApplyResult apply(PacketKind kind, QByteArrayView packet) override;

signals:
  // The operator asked to end the program ("E&xit" or the close box).
  void terminate_requested();
  // A datagram brought a screen forward.
  void screen_forward(PacketKind kind);

protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

private:
  void FormCreate();
  void FormShow();
  void FormHide();
  void add_log_line(QByteArray line);
  void save_address();
  void bring_forward();
  void show_feed_state();
  QList<quint16> held_ports() const;

  AppState &state_;
  PacketLog log_;
  bool log_grew_ = true; // rows were added since the view last scrolled
  PacketReceiver receiver_;
  FeedHealth feed_;
  std::array<Screen, 6> screens_{};
  // Screens that were placed over the main window when first shown.
  std::array<bool, 6> placed_{};
  // Screens waiting to come to the front, in the order the datagrams asked.
  QList<QPointer<QWidget>> to_front_;
  FrameThrottle front_frame_;
  // The screen last brought to the front: asked again while it is still the
  // active window, it is not restacked.
  QPointer<QWidget> in_front_;
  Tip_listening_address_form *ip_dialog_ = nullptr;

  QLabel *Image1 = nullptr;
  QLabel *Label1 = nullptr;
  QLabel *Label2 = nullptr;
  QLabel *Label3 = nullptr;
  QListView *ListBox1 = nullptr;
  // Below the designed items: how the feed is doing.
  QLabel *feed_line_ = nullptr;
  std::optional<FeedLevel> feed_level_; // the level its colours show
};
