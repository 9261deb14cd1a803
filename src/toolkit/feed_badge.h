#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <optional>

class QLabel;
class QWidget;

// "NO DATA 1:14": how long the results feed has been silent, in minutes and
// seconds.
QString no_data_text(qint64 seconds);

// Where a badge of the given size goes inside area: the place nearest the
// area's top-right corner that overlaps none of must_clear, preferring one
// that also keeps off prefer_clear. Nothing when every place overlaps
// must_clear.
std::optional<QRect> badge_place(QRect area, QSize badge, const QList<QRect> &must_clear,
                                 const QList<QRect> &prefer_clear);

// What of a widget a badge must not cover, in the coordinates of window: a
// table's or list's cells as far as its view shows them (an empty list
// covers nothing), any other widget whole. Empty for a hidden widget.
QRect covered_area(const QWidget *widget, const QWidget *window);

// The "no data" badge of one window: a small red label in front of the
// window's contents that keeps off the cells, read-outs and titles the window
// names. A window holds one as a member; whoever knows the feed's state
// shows or hides it.
class FeedBadge final : public QObject {
public:
  explicit FeedBadge(QWidget *window);

  // The widgets whose content the badge never covers.
  void keep_clear(const QList<QWidget *> &widgets);
  // Shows the badge with the feed's silence in seconds, or hides it.
  void show_silence(std::optional<qint64> seconds);

  QLabel *label() const { return label_; }
  bool shown() const { return shown_; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void place();

  QWidget *window_;
  QLabel *label_;
  QList<QPointer<QWidget>> keep_clear_;
  bool shown_ = false;
  // The last placement's inputs: a badge shown for minutes is placed again
  // only when something around it moved.
  QList<QRect> last_must_;
  QList<QRect> last_prefer_;
  QRect last_area_;
  QSize last_size_;
};
