#pragma once

#include "protocol/dispatcher.h"
#include "toolkit/feed_badge.h"
#include "toolkit/screen_colours.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QWidget>

class QListWidget;

// The RERadu commentator screen: the eight lines of the frame the typewriter
// sent, in large fixed-pitch type. Closing it only hides it.
class Treradu_commentator_form : public QWidget {
  Q_OBJECT
public:
  static constexpr int kLines = 8;

  // The screen has colours of its own; the shared ones are not used.
  explicit Treradu_commentator_form(const ScreenColours &colours, QWidget *parent = nullptr);

  ApplyResult apply_packet(QByteArrayView packet);

  // The lines as received (8-bit), in list order.
  const QList<QByteArray> &lines() const { return lines_; }
  QListWidget *list() const { return listbox1; }
  // The "no data" badge, shown while the results feed is silent.
  FeedBadge &feed_badge() { return badge_; }

private:
  QListWidget *listbox1 = nullptr;
  QList<QByteArray> lines_;
  FeedBadge badge_{this};
};
