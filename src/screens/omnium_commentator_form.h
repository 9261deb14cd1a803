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

// Empties every cell inside the grid's current row and column counts; cells
// outside them keep their text.
void clear_grid(TextGridModel &grid);

// The omnium screen: a results table whose shape the results program sends.
// It fills the screen when shown; closing it only hides it.
class Tomnium_commentator_form : public QWidget {
  Q_OBJECT
public:
  // The table does not use the shared screen colours.
  explicit Tomnium_commentator_form(const ScreenColours &colours, QWidget *parent = nullptr);

  // failed: a count or line number was not a number as a whole; what the
  // Packet changed before that stays.
  ApplyResult apply_packet(QByteArrayView packet);
  void reset_grid();

  TextGridModel &results() { return SG1->grid(); }
  TextGrid *results_view() const { return SG1; }
  // The "no data" badge, shown while the results feed is silent.
  FeedBadge &feed_badge() { return badge_; }

  // Where the window goes when shown (the screen the main window is on).
  void set_screen_geometry_source(ScreenGeometrySource source) { screen_geometry_ = std::move(source); }

protected:
  void showEvent(QShowEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  void FormCreate();
  void FormShow();

  QGroupBox *GroupBox1 = nullptr;
  TextGrid *SG1 = nullptr;
  QLabel *Image1 = nullptr;
  QLabel *Image2 = nullptr;
  AnchorLayout layout_;
  FeedBadge badge_{this};
  ScreenGeometrySource screen_geometry_ = primary_screen_geometry;
  ScreenCover *cover_ = new ScreenCover(this);
};
