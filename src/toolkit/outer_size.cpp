#include "outer_size.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

OuterSize::OuterSize(QWidget *window, std::function<QSize(const QMargins &)> client, bool fixed)
    : QObject(window), window_(window), client_(std::move(client)), fixed_(fixed) {
  window_->installEventFilter(this);
  apply();
}

QMargins OuterSize::frame() const {
  const QRect outer = window_->frameGeometry();
  const QRect inner = window_->geometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(),
          outer.right() - inner.right(), outer.bottom() - inner.bottom()};
}

void OuterSize::apply() {
  last_frame_ = frame();
  const QSize client = client_(last_frame_);
  if (fixed_) {
    if (window_->minimumSize() != client || window_->maximumSize() != client)
      window_->setFixedSize(client);
    return;
  }
  if (window_->size() != client)
    window_->resize(client);
}

bool OuterSize::eventFilter(QObject *watched, QEvent *event) {
  // The window manager's frame is known only once the window is mapped:
  // nothing announces it, but the window is then exposed (and often moved
  // inside its new frame).
  if (watched == window_->windowHandle() && event->type() == QEvent::Expose) {
    if (frame() != last_frame_)
      apply();
    return false;
  }
  if (watched != window_)
    return false;
  switch (event->type()) {
  case QEvent::Show:
    if (QWindow *handle = window_->windowHandle())
      handle->installEventFilter(this); // once: a second install only moves it
    apply();
    break;
  case QEvent::Move:
  case QEvent::Resize:
    if (frame() != last_frame_)
      apply();
    break;
  default:
    break;
  }
  return false;
}

QSize client_for_outer(QSize outer, const QMargins &frame) {
  return {qMax(1, outer.width() - frame.left() - frame.right()),
          qMax(1, outer.height() - frame.top() - frame.bottom())};
}

OuterSize *keep_outer_size(QWidget *window, QSize outer, bool fixed) {
  return new OuterSize(
      window, [outer](const QMargins &frame) { return client_for_outer(outer, frame); }, fixed);
}
