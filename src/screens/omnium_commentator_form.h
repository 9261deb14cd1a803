#pragma once

#include "omnium_model.h"
#include "protocol/dispatcher.h"
#include "race_window_shell.h"
#include "toolkit/feed_badge.h"
#include "toolkit/screen_colours.h"
#include "toolkit/text_grid.h"

#include <QByteArrayView>
#include <QWidget>

class QGroupBox;
class QLabel;

// The window of the omnium screen: it shows an OmniumModel. It fills the
// screen when shown; closing it only hides it.
class Tomnium_commentator_form : public QWidget {
  Q_OBJECT
public:
  // A window over a model of its own; the table does not use the shared
  // screen colours.
  explicit Tomnium_commentator_form(const ScreenColours &colours, QWidget *parent = nullptr);
  // A window over a model someone else holds; the model outlives it.
  explicit Tomnium_commentator_form(OmniumModel &model, QWidget *parent = nullptr);

  OmniumModel &model() { return model_; }
  ApplyResult apply_packet(QByteArrayView packet) { return model_.apply_packet(packet); }
  void reset_grid() { model_.reset_grid(); }

  TextGridModel &results() { return model_.results(); }
  TextGrid *results_view() const { return SG1; }
  // The "no data" badge, shown while the results feed is silent.
  FeedBadge &feed_badge() { return badge_; }

  // Where the window goes when shown (the screen the main window is on).
  void set_screen_geometry_source(ScreenGeometrySource source) {
    shell_.set_screen_geometry_source(std::move(source));
  }

private:
  void FormShow();

  OmniumModel &model_;
  QGroupBox *GroupBox1 = nullptr;
  TextGrid *SG1 = nullptr;
  QLabel *Image1 = nullptr;
  QLabel *Image2 = nullptr;
  RaceWindowShell shell_{this};
  FeedBadge badge_{this};
};
