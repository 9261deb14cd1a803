#pragma once

#include "protocol/dispatcher.h"
#include "ptsrace_model.h"
#include "race_window_shell.h"
#include "toolkit/feed_badge.h"
#include "toolkit/screen_colours.h"
#include "toolkit/text_grid.h"

#include <QByteArrayView>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;

// The window of the points-race screen: it shows a PtsraceModel. It fills
// the screen when shown; closing it ends the program.
class Tptsrace_commentator_form : public QWidget {
  Q_OBJECT
public:
  static constexpr int kPositions = PtsraceModel::kPositions;
  static constexpr int kSprints = PtsraceModel::kSprints;
  static constexpr int kPlaces = PtsraceModel::kPlaces;

  // A window over a model of its own; the colours are read when the window
  // is shown.
  explicit Tptsrace_commentator_form(const ScreenColours &colours, QWidget *parent = nullptr);
  // A window over a model someone else holds; the model outlives it.
  explicit Tptsrace_commentator_form(PtsraceModel &model, QWidget *parent = nullptr);

  PtsraceModel &model() { return model_; }
  ApplyResult apply_packet(QByteArrayView packet) { return model_.apply_packet(packet); }
  void clear_all() { model_.clear_all(); }
  void show_sprint() { model_.show_sprint(); }
  // The announcer picked a sprint in the chooser.
  void ComboBox1Change();

  TextGridModel &standings() { return model_.standings(); }
  TextGridModel &sprint_table() { return model_.sprint_table(); }
  // Sprint s, place i: name in column 2(i-1), points in column 2i-1 of row s.
  TextGridModel &sprint_store() { return model_.sprint_store(); }
  TextGrid *standings_view() const { return StringGrid1; }
  TextGrid *sprint_view() const { return StringGrid2; }
  QComboBox *chooser() const { return ComboBox1; }
  // The "no data" badge, shown while the results feed is silent.
  FeedBadge &feed_badge() { return badge_; }

  // Where the window goes when shown (the screen the main window is on);
  // its width also decides the name column's width.
  void set_screen_geometry_source(ScreenGeometrySource source) {
    shell_.set_screen_geometry_source(std::move(source));
  }

signals:
  // The window was closed: the program ends.
  void terminate_requested();

private:
  void FormShow();
  void show_chooser();

  PtsraceModel &model_;
  QGroupBox *GroupBox1 = nullptr;
  TextGrid *StringGrid1 = nullptr;
  QGroupBox *GroupBox2 = nullptr;
  QComboBox *ComboBox1 = nullptr;
  QStringList shown_entries_; // the chooser's entries as last shown
  TextGrid *StringGrid2 = nullptr;
  QLabel *Image1 = nullptr;
  RaceWindowShell shell_{this};
  FeedBadge badge_{this};
};
