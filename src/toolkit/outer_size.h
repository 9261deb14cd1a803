#pragma once

#include <QObject>
#include <QMargins>
#include <QSize>

#include <functional>

class QWidget;

// Keeps a top-level window's size, frame included, at what `client` gives
// for the window manager's frame (left, top, right, bottom). The frame is known only once the window manager has framed the
// window, after it is first shown; so the client size is set again on every
// showing and whenever the frame turns out different from the last one seen,
// never on the operator's own resizing. A fixed window gets a fixed size.
class OuterSize : public QObject {
public:
  OuterSize(QWidget *window, std::function<QSize(const QMargins &frame)> client, bool fixed);

  // Sets the client size from the outer size and the frame as now known.
  void apply();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QMargins frame() const;

  QWidget *window_;
  std::function<QSize(const QMargins &)> client_;
  bool fixed_;
  QMargins last_frame_;
};

// The common case: a constant outer size.
OuterSize *keep_outer_size(QWidget *window, QSize outer, bool fixed);

// The client size that makes the outer size `outer` with this frame.
QSize client_for_outer(QSize outer, const QMargins &frame);
