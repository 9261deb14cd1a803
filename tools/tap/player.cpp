#include "tap/player.h"

#include "toolkit/steady_clock.h"

#include <cmath>

namespace tap {

Player::Player(QList<CaptureRecord> records, Endpoint to, PlayOptions options, QObject *parent,
               Clock clock)
    : QObject(parent), records_(std::move(records)), sender_(std::move(to)), options_(options),
      clock_(clock ? std::move(clock) : Clock(steady_ns)) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &Player::step);
}

void Player::start() {
  start_ns_ = clock_();
  pass_start_ns_ = 0;
  next_ = 0;
  sent_ = 0;
  passes_ = 0;
  done_ = false;
  // Through the loop, so a caller that connects and then runs exec() sees
  // finished() even for an empty capture.
  timer_.start(0);
}

void Player::stop() {
  if (done_)
    return;
  timer_.stop();
  QTimer::singleShot(0, this, &Player::finish);
  done_ = true;
}

void Player::finish() { emit finished(); }

qint64 Player::due_ns(qsizetype index) const {
  const double from_first = records_[index].offset_ms - records_.first().offset_ms;
  return pass_start_ns_ + qint64(std::llround(from_first * 1e6 / options_.speed));
}

void Player::step() {
  if (done_)
    return;
  if (records_.isEmpty()) {
    done_ = true;
    emit finished();
    return;
  }
  const qint64 now = clock_() - start_ns_;
  while (next_ < records_.size() && due_ns(next_) <= now) {
    QString error;
    if (!sender_.send(records_[next_].payload, &error)) {
      done_ = true;
      emit failed(error);
      return;
    }
    ++sent_;
    ++next_;
  }
  if (next_ == records_.size()) {
    ++passes_;
    if (!options_.loop) {
      done_ = true;
      emit finished();
      return;
    }
    pass_start_ns_ = due_ns(next_ - 1) + qint64(kLoopGapMs * 1e6 / options_.speed);
    next_ = 0;
  }
  const qint64 wait_ns = std::max<qint64>(0, due_ns(next_) - now);
  // Round up: a timer that fires a little early only re-arms.
  timer_.start(int(std::min<qint64>((wait_ns + 999'999) / 1'000'000, 1 << 30)));
}

} // namespace tap
