#include "frame_pacer.h"

#include "steady_clock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>

FramePacer::FramePacer(QObject *parent, Clock clock)
    : QObject(parent), clock_(clock ? std::move(clock) : Clock(steady_ns)), next_turn_(new QTimer(this)) {
  next_turn_->setSingleShot(true);
  connect(next_turn_, &QTimer::timeout, this, [this] { painted_this_turn_ = false; });
}

FramePacer::~FramePacer() {
  if (QCoreApplication *app = QCoreApplication::instance())
    app->removeEventFilter(this);
  for (auto &[window, w] : windows_)
    disconnect(window, nullptr, this, nullptr);
}

void FramePacer::watch(QWidget *window) {
  if (!window || windows_.count(window))
    return;
  Window &w = windows_[window];
  w.timer = new QTimer(this);
  w.timer->setSingleShot(true);
  w.timer->setTimerType(Qt::PreciseTimer);
  connect(w.timer, &QTimer::timeout, window, [window] {
    QCoreApplication::postEvent(window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
  });
  connect(window, &QObject::destroyed, this, &FramePacer::forget);
  // One filter on the application sees both a window's update requests and
  // the paints of its widgets: a repaint is timed by its first paint, which
  // can come a while after the request (layouts and polishing go first), and
  // the pictures, not the requests, are what must be a frame apart.
  if (!filtering_) {
    if (QCoreApplication *app = QCoreApplication::instance()) {
      app->installEventFilter(this);
      filtering_ = true;
    }
  }
}

void FramePacer::forget(QObject *window) {
  auto it = windows_.find(window);
  if (it == windows_.end())
    return;
  delete it->second.timer;
  windows_.erase(it);
}

bool FramePacer::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::Paint) {
    if (!watched->isWidgetType())
      return false;
    auto it = windows_.find(static_cast<QWidget *>(watched)->window());
    if (it != windows_.end() && it->second.passed) {
      it->second.passed = false;
      it->second.last_paint_ns = clock_();
    }
    return false;
  }
  if (event->type() == QEvent::Expose) {
    // A window raised over another repaints what it uncovers at once; that
    // picture counts as its repaint for the frame.
    for (auto &[window, w] : windows_)
      if (static_cast<QWidget *>(window)->windowHandle() == watched)
        w.passed = true;
    return false;
  }
  if (event->type() != QEvent::UpdateRequest)
    return false;
  auto it = windows_.find(watched);
  if (it == windows_.end())
    return false;
  Window &w = it->second;
  const qint64 now = clock_();
  const qint64 due = w.last_paint_ns + kFrameNs;
  if (now < due) {
    hold(w, due - now);
    return true;
  }
  if (painted_this_turn_) {
    hold(w, 0);
    return true;
  }
  w.passed = true;
  painted_this_turn_ = true;
  next_turn_->start(0);
  return false;
}

void FramePacer::hold(Window &w, qint64 wait_ns) {
  // The repaint manager posts no other request until this one is delivered,
  // so one timer per window is enough.
  ++held_;
  if (!w.timer->isActive())
    w.timer->start(int((wait_ns + 999999) / 1000000));
}
