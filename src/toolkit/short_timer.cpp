#include "short_timer.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstdint>
#include <utility>

#include <sys/timerfd.h>
#include <unistd.h>

ShortTimer::ShortTimer(std::function<void()> fire) : fire_(std::move(fire)) {}

void ShortTimer::make() {
  if (fd_ >= 0 || fallback_)
    return;
  fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (fd_ >= 0) {
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { expired(); });
    return;
  }
  fallback_ = std::make_unique<QTimer>();
  fallback_->setSingleShot(true);
  fallback_->setTimerType(Qt::PreciseTimer);
  QObject::connect(fallback_.get(), &QTimer::timeout, [this] {
    active_ = false;
    fire_();
  });
}

ShortTimer::~ShortTimer() {
  notifier_.reset();
  if (fd_ >= 0)
    ::close(fd_);
}

void ShortTimer::start(qint64 wait_ns) {
  make();
  active_ = true;
  // Zero would disarm a timerfd: the shortest wait is a nanosecond.
  const qint64 ns = std::max<qint64>(1, wait_ns);
  if (fallback_) {
    fallback_->start(int((ns + 500000) / 1000000));
    return;
  }
  itimerspec wait{};
  wait.it_value.tv_sec = time_t(ns / 1000000000);
  wait.it_value.tv_nsec = long(ns % 1000000000);
  if (timerfd_settime(fd_, 0, &wait, nullptr) != 0)
    active_ = false;
}

void ShortTimer::stop() {
  active_ = false;
  if (fd_ < 0 && !fallback_)
    return;
  if (fallback_) {
    fallback_->stop();
    return;
  }
  const itimerspec none{};
  timerfd_settime(fd_, 0, &none, nullptr);
  // An expiry already counted is read away, so it cannot fire later.
  std::uint64_t expiries = 0;
  while (::read(fd_, &expiries, sizeof expiries) == ssize_t(sizeof expiries)) {
  }
}

void ShortTimer::expired() {
  std::uint64_t expiries = 0;
  if (::read(fd_, &expiries, sizeof expiries) != ssize_t(sizeof expiries))
    return;
  if (!active_)
    return;
  active_ = false;
  fire_();
}
