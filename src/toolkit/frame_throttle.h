#pragma once

#include "short_timer.h"

#include <functional>

// Lets something happen at most once per display frame: asked for sooner
// than a frame after it last happened, it waits, on one timer, for that
// frame to be over. Both painting a window and bringing windows to the front
// go through one of these; a busy feed asks thousands of times a second, and
// once a frame is all a display can show.
class FrameThrottle {
public:
  static constexpr qint64 kFrameNs = 16666667; // 60 Hz
  // Asked for with less than this left of the frame, it happens at once
  // rather than waking once more for what is left: a frame may end up to
  // half a millisecond early.
  static constexpr qint64 kSlackNs = 500000;
  // Nanoseconds on a monotonic clock; only differences count.
  using Clock = std::function<qint64()>;

  // `later` runs when a deferred frame is over. Without a clock, the steady
  // clock.
  explicit FrameThrottle(std::function<void()> later, Clock clock = {});
  FrameThrottle(const FrameThrottle &) = delete;
  FrameThrottle &operator=(const FrameThrottle &) = delete;

  qint64 now() const { return clock_(); }
  // Nanoseconds until a frame has passed since it last happened (zero or
  // less: now).
  qint64 wait_ns() const { return last_ns_ + kFrameNs - now(); }
  // A frame has passed, give or take what the timer's rounding leaves.
  bool due() const { return wait_ns() <= kSlackNs; }
  // It happened at this time (the clock's now by default).
  void happened() { last_ns_ = now(); }
  void happened_at(qint64 ns) { last_ns_ = ns; }
  // Runs `later` once after `wait_ns`; asked again while waiting, nothing
  // more.
  void defer(qint64 wait_ns);
  bool waiting() const { return timer_.active(); }
  // Forgets a deferred run.
  void cancel() { timer_.stop(); }

  // Runs `now_action` at once when a frame has passed, otherwise `later`
  // at the frame's end; nothing when it is already waiting.
  void request(const std::function<void()> &now_action);

private:
  Clock clock_;
  qint64 last_ns_ = -kFrameNs;
  ShortTimer timer_;
};
