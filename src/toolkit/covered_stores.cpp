#include "covered_stores.h"

#include <QApplication>
#include <QBackingStore>
#include <QEvent>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

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

CoveredStores::CoveredStores(QObject *parent, int release_after_ms)
    : QObject(parent), timer_(new QTimer(this)) {
  timer_->setSingleShot(true);
  timer_->setInterval(release_after_ms);
  connect(timer_, &QTimer::timeout, this, &CoveredStores::release_covered);
}

CoveredStores::~CoveredStores() {
  for (const Window &w : windows_)
    if (w.widget)
      w.widget->removeEventFilter(this);
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
    for (Window &w : windows_)
      if (w.widget == watched)
        w.activated = ++activations_;
    repaint_uncovered();
    timer_->start();
    break;
  case QEvent::Expose:
    for (Window &w : windows_)
      if (w.released && w.widget && w.widget->windowHandle() == watched)
        repaint_whole(w);
    break;
  case QEvent::UpdateRequest:
    // A window given back its picture that repaints anyway (nothing holds
    // back a covered window's changes) repaints whole and takes a picture of
    // its size again: it gives it back when it has stayed unseen again.
    for (Window &w : windows_)
      if (w.released && w.widget == watched) {
        w.released = false;
        timer_->start();
      }
    break;
  case QEvent::WindowDeactivate:
  case QEvent::Show:
  case QEvent::Hide:
  case QEvent::Move:
  case QEvent::Resize:
  case QEvent::WindowStateChange:
    // Which window covers which may have changed: an uncovered window shows
    // its picture now, a covered one gives it back when it has stayed so.
    repaint_uncovered();
    timer_->start();
    break;
  default:
    break;
  }
  return false;
}

bool CoveredStores::is_covered(const Window &w) const {
  // A window activated later lies above it: the program brings a screen
  // forward and activates it together, and so does a click.
  const QList<QRect> screens = screen_geometries();
  for (const Window &f : windows_) {
    if (!f.widget || f.widget == w.widget || f.activated <= w.activated || !f.widget->isVisible())
      continue;
    const QScreen *screen = f.widget->screen();
    if (screen && covers_window(f.widget->frameGeometry(), screen->geometry(),
                                w.widget->frameGeometry(), screens))
      return true;
  }
  return false;
}

bool CoveredStores::is_unseen(const Window &w) const {
  return !w.widget->isVisible() || w.widget->isMinimized() || is_covered(w);
}

void CoveredStores::release_covered() {
  for (Window &w : windows_) {
    if (!w.widget || w.released || !is_unseen(w))
      continue;
    QBackingStore *store = w.widget->backingStore();
    QWindow *handle = w.widget->windowHandle();
    if (!store || !handle || store->size() != w.widget->size())
      continue;
    // A picture of one pixel, which every platform can make: the repaint
    // manager repaints a window whole, at its size, when the sizes differ.
    store->resize(QSize(1, 1));
    // An expose would show the store as it is, unless something is to be
    // painted: the filter marks the window to repaint first.
    handle->installEventFilter(this);
    w.released = true;
    ++released_;
  }
}

void CoveredStores::repaint_uncovered() {
  for (Window &w : windows_) {
    if (!w.widget || !w.released || is_unseen(w))
      continue;
    repaint_whole(w);
  }
}

void CoveredStores::repaint_whole(Window &w) {
  w.released = false;
  w.widget->update();
}
