#include "frame_throttle.h"

#include "steady_clock.h"

#include <algorithm>
#include <utility>

FrameThrottle::FrameThrottle(std::function<void()> later, Clock clock)
    : clock_(clock ? std::move(clock) : Clock(steady_ns)) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, std::move(later));
}

void FrameThrottle::defer(qint64 wait_ns) {
  if (timer_.isActive())
    return;
  timer_.start(int((std::max<qint64>(0, wait_ns) + 500000) / 1000000));
}

void FrameThrottle::request(const std::function<void()> &now_action) {
  if (timer_.isActive())
    return;
  if (!due()) {
    defer(wait_ns());
    return;
  }
  now_action();
}
