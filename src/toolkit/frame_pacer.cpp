#include "frame_pacer.h"

#include "covered_stores.h"
#include "steady_clock.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace {

void post_update_request(QObject *window) {
  QCoreApplication::postEvent(window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

// A held request whose frame is over is handed to the window at once, from
// the timer's own wake: posted, it would wake the event loop a second time
// (a write, a read and a poll more for every held repaint).
void send_update_request(QObject *window) {
  QEvent request(QEvent::UpdateRequest);
  QCoreApplication::sendEvent(window, &request);
}

} // namespace

FramePacer::FramePacer(QObject *parent, Clock clock)
    : QObject(parent), clock_(clock ? std::move(clock) : Clock(steady_ns)) {}

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
  w.frame = std::make_unique<FrameThrottle>([window] { send_update_request(window); }, clock_);
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
  // A turn of the event loop ends when its dispatcher wakes from it; a
  // timer marking it cost a turn of its own, with a poll, after every paint.
  if (!turns_watched_) {
    if (QAbstractEventDispatcher *d = QAbstractEventDispatcher::instance(thread())) {
      connect(d, &QAbstractEventDispatcher::awake, this, [this] { painted_this_turn_ = false; });
      turns_watched_ = true;
    }
  }
}

void FramePacer::forget(QObject *window) {
  auto it = windows_.find(window);
  if (it == windows_.end())
    return;
  windows_.erase(it);
}

bool FramePacer::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::Paint) {
    if (!watched->isWidgetType())
      return false;
    auto it = windows_.find(static_cast<QWidget *>(watched)->window());
    if (it != windows_.end() && it->second.passed) {
      it->second.passed = false;
      it->second.frame->happened();
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
  switch (event->type()) {
  case QEvent::WindowActivate:
  case QEvent::ZOrderChange:
    // Activated, or raised by the program (it never lowers a window): it
    // lies above the others even if a window manager refuses to activate it.
    if (auto it = windows_.find(watched); it != windows_.end()) {
      it->second.activated = ++activations_;
      release_uncovered();
    }
    return false;
  case QEvent::WindowDeactivate:
  case QEvent::Hide:
  case QEvent::Move:
  case QEvent::Resize:
  case QEvent::WindowStateChange:
    // Which window covers which may have changed.
    if (windows_.count(watched))
      release_uncovered();
    return false;
  case QEvent::UpdateRequest:
    break;
  default:
    return false;
  }
  auto it = windows_.find(watched);
  if (it == windows_.end())
    return false;
  Window &w = it->second;
  // Held no longer than a frame: datagrams are handed on in well under
  // that, and a dialog opened meanwhile must not keep the windows unpainted.
  if (holding_ > 0) {
    if (const qint64 held_for = clock_() - hold_began_ns_; held_for < kFrameNs) {
      ++held_;
      w.held_busy = true;
      w.frame->defer(kFrameNs - held_for);
      return true;
    }
  }
  w.held_busy = false;
  if (is_covered(static_cast<QWidget *>(watched))) {
    ++held_;
    w.covered = true;
    return true;
  }
  if (!w.frame->due()) {
    hold(w, w.frame->wait_ns());
    return true;
  }
  if (painted_this_turn_) {
    hold(w, 0);
    return true;
  }
  w.passed = true;
  // Without a dispatcher to tell when the turn ends, none is waited for.
  painted_this_turn_ = turns_watched_;
  return false;
}

void FramePacer::hold_paints() {
  if (holding_++ == 0)
    hold_began_ns_ = clock_();
}

void FramePacer::release_paints() {
  if (holding_ == 0 || --holding_ > 0)
    return;
  // Asked for again at once, as Qt would have.
  for (auto &[window, w] : windows_) {
    if (!w.held_busy)
      continue;
    w.held_busy = false;
    w.frame->cancel();
    post_update_request(window);
  }
}

bool FramePacer::is_covered(QWidget *window) const {
  // Only a window that fills its screen counts: another window may be
  // moved aside at any time, and the program's screens fill theirs.
  std::vector<StackedWindow> stack;
  stack.reserve(windows_.size());
  qint64 activated = 0;
  for (const auto &[w, state] : windows_) {
    stack.push_back({static_cast<const QWidget *>(w), state.activated});
    if (w == window)
      activated = state.activated;
  }
  return covered_by_later({window, activated}, stack);
}

void FramePacer::release_uncovered() {
  for (auto &[window, w] : windows_) {
    if (!w.covered || is_covered(static_cast<QWidget *>(window)))
      continue;
    w.covered = false;
    w.frame->defer(0);
  }
}

void FramePacer::hold(Window &w, qint64 wait_ns) {
  // The repaint manager posts no other request until this one is delivered,
  // so one timer per window is enough.
  ++held_;
  w.frame->defer(wait_ns);
}
