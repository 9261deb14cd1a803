#pragma once

#include "protocol/dispatcher.h"
#include "screen_support.h"
#include "toolkit/feed_badge.h"
#include "toolkit/screen_colours.h"
#include "toolkit/text_grid.h"

#include <QByteArrayView>
#include <QWidget>

class QGroupBox;
class QLabel;

// The time-trial screen: a panel for each of the two racers on the track
// (summary, list and two read-outs) and the standings between them. It fills
// the screen when shown; closing it ends the program.
class Ttt_commentator_form : public QWidget {
  Q_OBJECT
public:
  enum class Side { left, right };
  static constexpr int kPositions = 99;
  static constexpr int kListLines = 41;

  // The colours are read when the window is shown.
  explicit Ttt_commentator_form(const ScreenColours &colours, QWidget *parent = nullptr);

  ApplyResult apply_packet(QByteArrayView packet);
  void clear_racers();
  void clear_all();

  // The side a racer or list update goes to.
  static Side choose_side(QByteArrayView packet);
  // The summary's second row: time, then diff, rank and speed where present.
  static QByteArray result_line(QByteArrayView packet);

  TextGridModel &standings() { return standings_stringgrid->grid(); }
  TextGridModel &summary(Side side) { return panel(side).summary->grid(); }
  TextGridModel &list(Side side) { return panel(side).list->grid(); }
  QLabel *time_readout(Side side) { return panel(side).time; }
  QLabel *diff_readout(Side side) { return panel(side).diff; }
  TextGrid *standings_view() const { return standings_stringgrid; }
  TextGrid *summary_view(Side side) { return panel(side).summary; }
  QGroupBox *panel_box(Side side) { return panel(side).box; }
  // The "no data" badge, shown while the results feed is silent.
  FeedBadge &feed_badge() { return badge_; }

  // Where the window goes when shown (the screen the main window is on).
  void set_screen_geometry_source(ScreenGeometrySource source) { screen_geometry_ = std::move(source); }

  // The read-outs' face: DSEG7 when installed, else a fixed-pitch face.
  static QFont readout_font();

signals:
  // The window was closed: the program ends.
  void terminate_requested();

protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

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
  void apply_standings_line(QByteArrayView packet, int position);
  void apply_racer_update(QByteArrayView packet);
  void apply_list_update(QByteArrayView packet);
  // Fits each read-out's text to the part of its box left uncovered.
  void fit_readouts();

  const ScreenColours &colours_;
  const QFont readout_face_;
  QLabel *Image1 = nullptr;
  QGroupBox *standings_groupbox = nullptr;
  TextGrid *standings_stringgrid = nullptr;
  // GroupBox1 with StringGrid00, StringGrid01, TLabel0, TLabeld0.
  Panel left_;
  // GroupBox2 with StringGrid10, StringGrid11, TLabel1, TLabeld1.
  Panel right_;
  AnchorLayout layout_;
  FeedBadge badge_{this};
  ScreenGeometrySource screen_geometry_ = primary_screen_geometry;
  ScreenCover *cover_ = new ScreenCover(this);
};
