#pragma once

#include "protocol/dispatcher.h"
#include "race_window_shell.h"
#include "tt_model.h"
#include "toolkit/feed_badge.h"
#include "toolkit/readout.h"
#include "toolkit/screen_colours.h"
#include "toolkit/text_grid.h"

#include <QByteArrayView>
#include <QWidget>

class QGroupBox;
class QLabel;

// The window of the time-trial screen: it shows a TtModel, a panel for each
// of the two racers on the track (summary, list and two read-outs) and the
// standings between them. It fills the screen when shown; closing it ends
// the program.
class Ttt_commentator_form : public QWidget {
  Q_OBJECT
public:
  using Side = TtModel::Side;
  static constexpr int kPositions = TtModel::kPositions;
  static constexpr int kListLines = TtModel::kListLines;

  // A window over a model of its own; the colours are read when the window
  // is shown.
  explicit Ttt_commentator_form(const ScreenColours &colours, QWidget *parent = nullptr);
  // A window over a model someone else holds; the model outlives it.
  explicit Ttt_commentator_form(TtModel &model, QWidget *parent = nullptr);

  TtModel &model() { return model_; }
  ApplyResult apply_packet(QByteArrayView packet) { return model_.apply_packet(packet); }
  void clear_racers() { model_.clear_racers(); }
  void clear_all() { model_.clear_all(); }

  TextGridModel &standings() { return model_.standings(); }
  TextGridModel &summary(Side side) { return model_.summary(side); }
  TextGridModel &list(Side side) { return model_.list(side); }
  QLabel *time_readout(Side side) { return panel(side).time; }
  QLabel *diff_readout(Side side) { return panel(side).diff; }
  TextGrid *standings_view() const { return standings_stringgrid; }
  TextGrid *summary_view(Side side) { return panel(side).summary; }
  QGroupBox *panel_box(Side side) { return panel(side).box; }
  // The "no data" badge, shown while the results feed is silent.
  FeedBadge &feed_badge() { return badge_; }

  // Where the window goes when shown (the screen the main window is on).
  void set_screen_geometry_source(ScreenGeometrySource source) {
    shell_.set_screen_geometry_source(std::move(source));
  }

  // The read-outs' face: DSEG7 when installed, else a fixed-pitch face.
  static QFont readout_font();

signals:
  // The window was closed: the program ends.
  void terminate_requested();

private:
  struct Panel {
    QGroupBox *box = nullptr;
    TextGrid *summary = nullptr;
    TextGrid *list = nullptr;
    QLabel *time = nullptr;
    QLabel *diff = nullptr;
  };
  Panel &panel(Side side) { return side == Side::left ? left_ : right_; }

  void FormCreate();
  void FormShow();
  // Shows the model's read-out texts that changed.
  void show_readouts();
  // Fits each read-out's text to the part of its box left uncovered.
  void fit_readouts();

  TtModel &model_;
  const QFont readout_face_;
  ReadoutFitting fitting_;
  QLabel *Image1 = nullptr;
  QGroupBox *standings_groupbox = nullptr;
  TextGrid *standings_stringgrid = nullptr;
  // GroupBox1 with StringGrid00, StringGrid01, TLabel0, TLabeld0.
  Panel left_;
  // GroupBox2 with StringGrid10, StringGrid11, TLabel1, TLabeld1.
  Panel right_;
  RaceWindowShell shell_{this};
  FeedBadge badge_{this};
};
