#pragma once

#include "protocol/dispatcher.h"
#include "race_window_shell.h"
#include "reradu_screen_model.h"
#include "toolkit/feed_badge.h"
#include "toolkit/screen_colours.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QWidget>

class QListWidget;

// The window of the RERadu commentator screen: it shows a ReraduScreenModel's
// lines in large fixed-pitch type. Closing it only hides it.
class Treradu_commentator_form : public QWidget {
  Q_OBJECT
public:
  static constexpr int kLines = ReraduScreenModel::kLines;

  // A window over a model of its own; the screen has colours of its own,
  // the shared ones are not used.
  explicit Treradu_commentator_form(const ScreenColours &colours, QWidget *parent = nullptr);
  // A window over a model someone else holds; the model outlives it.
  explicit Treradu_commentator_form(ReraduScreenModel &model, QWidget *parent = nullptr);

  ReraduScreenModel &model() { return model_; }
  ApplyResult apply_packet(QByteArrayView packet) { return model_.apply_packet(packet); }

  // The lines as received (8-bit), in list order.
  const QList<QByteArray> &lines() const { return model_.lines(); }
  QListWidget *list() const { return listbox1; }
  // The "no data" badge, shown while the results feed is silent.
  FeedBadge &feed_badge() { return badge_; }

private:
  void show_lines();

  ReraduScreenModel &model_;
  QListWidget *listbox1 = nullptr;
  // Nothing to do on show or resize, and closing only hides.
  RaceWindowShell shell_{this};
  FeedBadge badge_{this};
};
