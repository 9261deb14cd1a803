#pragma once

#include "protocol/dispatcher.h"
#include "race_window_shell.h"
#include "sprint_model.h"
#include "toolkit/feed_badge.h"
#include "toolkit/screen_colours.h"
#include "toolkit/text_grid.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QWidget>

class QGroupBox;
class QLabel;

// The window of the sprint screen: it shows a SprintModel. Closing it ends
// the program.
class Tsprintr_commentator_form : public QWidget {
  Q_OBJECT
public:
  // A window over a model of its own; the colours are read when the window
  // is shown.
  explicit Tsprintr_commentator_form(const ScreenColours &colours, QWidget *parent = nullptr);
  // A window over a model someone else holds; the model outlives it.
  explicit Tsprintr_commentator_form(SprintModel &model, QWidget *parent = nullptr);

  SprintModel &model() { return model_; }
  ApplyResult apply_packet(QByteArrayView packet) { return model_.apply_packet(packet); }

  TextGridModel &heat_table() { return model_.heat_table(); }
  TextGrid *heat_view() const { return StringGrid1; }
  QLabel *title_label() const { return Label1; }
  // The title line as received (8-bit).
  const QByteArray &title() const { return model_.title(); }
  // The "no data" badge, shown while the results feed is silent.
  FeedBadge &feed_badge() { return badge_; }

signals:
  // The window was closed: the program ends.
  void terminate_requested();

private:
  void FormCreate();
  void FormShow();
  void show_title();

  SprintModel &model_;
  QGroupBox *GroupBox1 = nullptr;
  QLabel *Label1 = nullptr;
  TextGrid *StringGrid1 = nullptr;
  QLabel *Image1 = nullptr;
  RaceWindowShell shell_{this};
  FeedBadge badge_{this};
};
