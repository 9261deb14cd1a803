#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <vector>

class QTimer;
class QWidget;

// Whether a window in front, filling its screen, hides the whole of another
// window: all of the other window that lies on any of the screens is under the
// front window (what lies beyond every screen shows nowhere). Frame
// geometries; `screen` is the front window's screen.
bool covers_window(const QRect &front, const QRect &screen, const QRect &window,
                   const QList<QRect> &screens);

// A window and the count of activations when it was last activated or
// raised (0: not yet).
struct StackedWindow {
  const QWidget *widget = nullptr;
  qint64 activated = 0;
};

// Whether a shown window activated or raised after `window`, filling its
// screen, hides the whole of `window`. The program brings a screen forward and
// activates it together, and so does a click: a window activated later lies
// above.
bool covered_by_later(const StackedWindow &window, const std::vector<StackedWindow> &windows);

// Gives back the memory of the pictures nobody sees. Every shown window keeps
// a backing store, its picture at four bytes a pixel (about 2 MiB for a race
// screen), whether or not it can be seen. A window that has been hidden,
// minimized, or covered entirely by a window activated after it (as a
// full-screen race screen covers the others), for a while lets its picture
// go; when it is uncovered, exposed or shown it paints itself whole again, as
// it does when first shown. The wait keeps the pictures of the screens a
// meeting switches between: raising one of them costs a copy, not a repaint.
class CoveredStores final : public QObject {
public:
  static constexpr int kReleaseAfterMs = 5000;

  explicit CoveredStores(QObject *parent = nullptr, int release_after_ms = kReleaseAfterMs);
  ~CoveredStores() override;

  void watch(QWidget *window);
  // Pictures given back so far (for tests and benchmarks).
  int released() const { return released_; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  struct Window {
    QPointer<QWidget> widget;
    bool released = false;
    qint64 activated = 0;       // the count of activations when it was last activated
    qint64 unseen_since_ns = 0; // steady clock; 0 while it can be seen
  };
  bool is_covered(const Window &w) const;
  bool is_unseen(const Window &w) const;
  static bool has_picture(const Window &w);
  void changed();
  void schedule();
  void release_covered();
  void repaint_whole(Window &w);

  std::vector<Window> windows_;
  qint64 release_after_ns_ = 0;
  QTimer *timer_ = nullptr;
  int released_ = 0;
  qint64 activations_ = 0;
};
