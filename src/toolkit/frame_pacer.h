#pragma once

#include "frame_throttle.h"

#include <QObject>

#include <functional>
#include <memory>
#include <unordered_map>

class QWidget;

// Paints each watched window at most once per display frame, whatever the
// rate of changes. Qt repaints a window on the update request it posts after
// the first change; when datagrams arrive one by one, every one of them would
// repaint every window it touches, and painting costs far more than applying.
// An update request that comes sooner than a frame after the window's last
// repaint is held and sent again when the frame is over, so the window then
// paints everything that changed meanwhile in one pass. Windows paint one at
// a time, with a turn of the event loop between two of them: datagrams that
// came meanwhile are read before the next window paints, instead of waiting
// for every window.
//
// A window that a window activated after it covers entirely, filling the
// whole screen as the race screens do, shows nothing of what changes in it
// (the main window under the race screens, a race screen under another):
// its repaint is held until it is uncovered, and then paints everything that
// changed meanwhile in one pass.
class FramePacer final : public QObject {
public:
  static constexpr qint64 kFrameNs = FrameThrottle::kFrameNs;
  // Nanoseconds on a monotonic clock; only differences count.
  using Clock = std::function<qint64()>;

  // Without a clock, the steady clock; tests pass one they move themselves.
  explicit FramePacer(QObject *parent = nullptr, Clock clock = {});
  ~FramePacer() override;

  void watch(QWidget *window);

  // While the program works through datagrams read together, no window
  // paints (a datagram's handling may turn the event loop): a picture in
  // their middle would keep the rest of them waiting. What was asked for
  // meanwhile paints when the last of them is done, or a frame after the
  // hold began if that comes first. Calls nest.
  void hold_paints();
  void release_paints();
  // Update requests held so far (for tests).
  qint64 held() const { return held_; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  struct Window {
    // Timed by the first paint of its last repaint; a held request is
    // sent again when the frame is over.
    std::unique_ptr<FrameThrottle> frame;
    bool passed = false; // a request went through, its paint is to come
    bool covered = false; // a request is held until the window is uncovered
    bool held_busy = false; // a request is held until paints are released
    qint64 activated = 0; // the count of activations when it was last activated
  };
  void forget(QObject *window);
  bool is_covered(QWidget *window) const;
  void release_uncovered();
  void hold(Window &w, qint64 wait_ns);

  Clock clock_;
  std::unordered_map<QObject *, Window> windows_;
  qint64 held_ = 0;
  qint64 activations_ = 0;
  int holding_ = 0;
  qint64 hold_began_ns_ = 0;
  bool painted_this_turn_ = false;
  bool filtering_ = false;
  bool turns_watched_ = false;
};
