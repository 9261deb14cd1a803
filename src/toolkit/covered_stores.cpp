#include "covered_stores.h"

#include "steady_clock.h"

#include <QBackingStore>
#include <QEvent>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

bool covers_window(const QRect &front, const QRect &screen, const QRect &window,
                   const QList<QRect> &screens) {
  if (!front.contains(screen))
    return false;
  // Only what lies on a screen can be seen.
  QRegion seen;
  for (const QRect &s : screens)
    seen += window & s;
  if (seen.isEmpty())
    return front.contains(window);
  return (seen - front).isEmpty();
}

namespace {

QList<QRect> screen_geometries() {
  QList<QRect> out;
  for (const QScreen *s : QGuiApplication::screens())
    out.append(s->geometry());
  return out;
}

} // namespace

bool covered_by_later(const StackedWindow &window, const std::vector<StackedWindow> &windows) {
  if (!window.widget)
    return false;
  const QList<QRect> screens = screen_geometries();
  for (const StackedWindow &f : windows) {
    // A minimised window stays visible to Qt but covers nothing.
    if (!f.widget || f.widget == window.widget || f.activated <= window.activated ||
        !f.widget->isVisible() || f.widget->isMinimized())
      continue;
    const QScreen *screen = f.widget->screen();
    if (screen && covers_window(f.widget->frameGeometry(), screen->geometry(),
                                window.widget->frameGeometry(), screens))
      return true;
  }
  return false;
}

CoveredStores::CoveredStores(QObject *parent, int release_after_ms)
    : QObject(parent), release_after_ns_(qint64(release_after_ms) * 1000000),
      timer_(new QTimer(this)) {
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, &CoveredStores::release_covered);
}

CoveredStores::~CoveredStores() {
  for (const Window &w : windows_) {
    if (!w.widget)
      continue;
    w.widget->removeEventFilter(this);
    if (QWindow *handle = w.widget->windowHandle())
      handle->removeEventFilter(this);
  }
}

void CoveredStores::watch(QWidget *window) {
  if (!window)
    return;
  for (const Window &w : windows_)
    if (w.widget == window)
      return;
  windows_.push_back({window});
  // Only the watched windows' own events: a filter on the application would
  // see every event of every widget.
  window->installEventFilter(this);
}

bool CoveredStores::eventFilter(QObject *watched, QEvent *event) {
  switch (event->type()) {
  case QEvent::WindowActivate:
  case QEvent::ZOrderChange:
    // Activated, or raised by the program (it never lowers a window).
    for (Window &w : windows_)
      if (w.widget == watched)
        w.activated = ++activations_;
    changed();
    break;
  case QEvent::Expose:
    for (Window &w : windows_)
      if (w.released && w.widget && w.widget->windowHandle() == watched)
        repaint_whole(w);
    break;
  case QEvent::UpdateRequest:
    // A window given back its picture that repaints anyway (nothing holds
    // back a covered window's changes) repaints whole and takes a picture of
    // its size again: it gives it back when it has stayed unseen as long
    // again, so a busy window repaints whole at most once a wait.
    for (Window &w : windows_)
      if (w.released && w.widget == watched) {
        w.released = false;
        w.unseen_since_ns = steady_ns();
        // Its picture has its size again only after this repaint: the
        // timer's turn finds it then.
        if (!timer_->isActive())
          timer_->start(int(release_after_ns_ / 1000000));
      }
    break;
  case QEvent::WindowDeactivate:
  case QEvent::Show:
  case QEvent::Hide:
  case QEvent::Move:
  case QEvent::Resize:
  case QEvent::WindowStateChange:
    changed();
    break;
  default:
    break;
  }
  return false;
}

bool CoveredStores::is_covered(const Window &w) const {
  std::vector<StackedWindow> stack;
  stack.reserve(windows_.size());
  for (const Window &f : windows_)
    stack.push_back({f.widget, f.activated});
  return covered_by_later({w.widget, w.activated}, stack);
}

bool CoveredStores::is_unseen(const Window &w) const {
  return !w.widget->isVisible() || w.widget->isMinimized() || is_covered(w);
}

void CoveredStores::changed() {
  // Which window covers which may have changed: an uncovered window shows
  // its picture now, a newly unseen one starts its wait.
  const qint64 now = steady_ns();
  for (Window &w : windows_) {
    if (!w.widget)
      continue;
    if (!is_unseen(w)) {
      w.unseen_since_ns = 0;
      if (w.released)
        repaint_whole(w);
      continue;
    }
    if (!w.unseen_since_ns)
      w.unseen_since_ns = now;
  }
  schedule();
}

bool CoveredStores::has_picture(const Window &w) {
  if (!w.widget || w.released || !w.widget->windowHandle())
    return false;
  const QBackingStore *store = w.widget->backingStore();
  return store && store->size() == w.widget->size();
}

void CoveredStores::schedule() {
  // The timer wakes for the first window whose wait ends; a window never
  // painted has nothing to give back.
  qint64 first = 0;
  for (const Window &w : windows_)
    if (w.unseen_since_ns && has_picture(w) &&
        (!first || w.unseen_since_ns + release_after_ns_ < first))
      first = w.unseen_since_ns + release_after_ns_;
  if (!first) {
    timer_->stop();
    return;
  }
  const qint64 wait_ms = std::max<qint64>(0, (first - steady_ns() + 999999) / 1000000);
  timer_->start(int(std::min<qint64>(wait_ms, release_after_ns_ / 1000000 + 1)));
}

void CoveredStores::release_covered() {
  const qint64 now = steady_ns();
  for (Window &w : windows_) {
    if (!w.unseen_since_ns || now - w.unseen_since_ns < release_after_ns_ || !has_picture(w))
      continue;
    if (!is_unseen(w)) {
      w.unseen_since_ns = 0;
      continue;
    }
    // A picture of one pixel, which every platform can make: the repaint
    // manager repaints a window whole, at its size, when the sizes differ.
    w.widget->backingStore()->resize(QSize(1, 1));
    // An expose would show the store as it is, unless something is to be
    // painted: the filter marks the window to repaint first.
    w.widget->windowHandle()->installEventFilter(this);
    w.released = true;
    ++released_;
  }
  schedule();
}

void CoveredStores::repaint_whole(Window &w) {
  w.released = false;
  w.widget->update();
}
