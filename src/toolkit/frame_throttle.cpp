#include "frame_throttle.h"

#include "steady_clock.h"

#include <algorithm>
#include <utility>

FrameThrottle::FrameThrottle(std::function<void()> later, Clock clock)
    : clock_(clock ? std::move(clock) : Clock(steady_ns)), timer_(std::move(later)) {}

void FrameThrottle::defer(qint64 wait_ns) {
  if (timer_.active())
    return;
  timer_.start(wait_ns);
}

void FrameThrottle::request(const std::function<void()> &now_action) {
  if (timer_.active())
    return;
  if (!due()) {
    defer(wait_ns());
    return;
  }
  now_action();
}
