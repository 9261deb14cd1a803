#include "race_window_shell.h"

#include <QEvent>
#include <QPalette>
#include <QWidget>

RaceWindowShell::RaceWindowShell(QWidget *window) : window_(window), cover_(window) {
  window->installEventFilter(this);
}

void RaceWindowShell::anchor(QWidget *control, QRect design, QSize parent_design, unsigned anchors) {
  layout_.add(control, design, parent_design, anchors);
}

QRect RaceWindowShell::cover_screen(bool fixed_size) {
  const QRect screen = screen_geometry_();
  cover_.cover(screen, fixed_size);
  return screen;
}

bool RaceWindowShell::eventFilter(QObject *watched, QEvent *event) {
  if (watched != window_)
    return QObject::eventFilter(watched, event);
  switch (event->type()) {
  case QEvent::Show:
    if (!event->spontaneous() && on_show_)
      on_show_();
    break;
  case QEvent::Close:
    // The window's own handler accepts the close and the window hides.
    if (on_close_)
      on_close_();
    break;
  case QEvent::Resize:
    layout_.apply();
    if (on_resize_)
      on_resize_();
    break;
  case QEvent::WindowActivate:
  case QEvent::WindowDeactivate:
    // Qt hands these to every widget of the window, and every table and
    // list repaints all it shows in case its colours follow the activation.
    // A race window comes forward with each change of kind on the feed; where
    // its colours are the same whether active or not, nothing of it changes.
    if (window_->palette().isEqual(QPalette::Active, QPalette::Inactive))
      return true;
    break;
  default:
    break;
  }
  return QObject::eventFilter(watched, event);
}
