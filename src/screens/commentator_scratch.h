#pragma once

#include "protocol/dispatcher.h"
#include "scratch_model.h"
#include "race_window_shell.h"
#include "toolkit/feed_badge.h"
#include "toolkit/screen_colours.h"
#include "toolkit/text_grid.h"

#include <QByteArrayView>
#include <QWidget>

class QGroupBox;
class QLabel;

// The window of the scratch / keirin screen: it shows a ScratchModel.
// Closing it ends the program.
class Tcommentator_scratch : public QWidget {
  Q_OBJECT
public:
  static constexpr int kLines = ScratchModel::kLines;

  // A window over a model of its own.
  explicit Tcommentator_scratch(const ScreenColours &colours, QWidget *parent = nullptr);
  // A window over a model someone else holds; the model outlives it.
  explicit Tcommentator_scratch(ScratchModel &model, QWidget *parent = nullptr);

  ScratchModel &model() { return model_; }
  ApplyResult apply_packet(QByteArrayView packet) { return model_.apply_packet(packet); }
  void clear_all() { model_.clear_all(); }

  TextGridModel &event_table() { return model_.event_table(); }
  TextGridModel &competitor_table() { return model_.competitor_table(); }
  TextGrid *event_view() const { return StringGrid1; }
  TextGrid *competitor_view() const { return StringGrid2; }
  // The "no data" badge, shown while the results feed is silent.
  FeedBadge &feed_badge() { return badge_; }

signals:
  // The window was closed: the program ends.
  void terminate_requested();

private:
  void FormShow();

  ScratchModel &model_;
  QGroupBox *GroupBox1 = nullptr;
  TextGrid *StringGrid1 = nullptr;
  QGroupBox *GroupBox2 = nullptr;
  TextGrid *StringGrid2 = nullptr;
  QLabel *Image1 = nullptr;
  QLabel *Image2 = nullptr;
  RaceWindowShell shell_{this};
  FeedBadge badge_{this};
};
