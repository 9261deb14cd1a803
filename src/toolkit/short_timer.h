#pragma once

#include <QTimer>

#include <functional>
#include <memory>

class QSocketNotifier;

// A one-shot timer for waits shorter than a display frame, to the
// microsecond. QTimer counts whole milliseconds and its wake-ups land up to
// a millisecond late: a picture held for the end of a 16.7 ms frame came
// 17 to 17.7 ms after the last one. On Linux a timerfd counts nanoseconds;
// where one cannot be made, a QTimer stands in (the wait rounded to the
// nearest millisecond). The descriptor is made on the first start: every
// descriptor is watched on every turn of the event loop, and most of the
// program's timers (those of windows that never show) never start.
class ShortTimer {
public:
  explicit ShortTimer(std::function<void()> fire);
  ~ShortTimer();
  ShortTimer(const ShortTimer &) = delete;
  ShortTimer &operator=(const ShortTimer &) = delete;

  // Fires once after `wait_ns` (at once for zero or less); started again
  // while waiting, the new wait replaces the old.
  void start(qint64 wait_ns);
  void stop();
  bool active() const { return active_; }

private:
  void make();
  void expired();

  std::function<void()> fire_;
  int fd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::unique_ptr<QTimer> fallback_;
  bool active_ = false;
};
