#pragma once

#include "protocol/dispatcher.h"
#include "toolkit/screen_colours.h"
#include "toolkit/text_grid.h"

#include <QByteArrayView>
#include <QObject>
#include <QStringList>

// What the points-race screen shows: the running standings, and the result
// of the sprint the announcer chooses out of up to 30 (the chooser's entries
// and the chosen one). Any view may show it.
class PtsraceModel : public QObject {
  Q_OBJECT
public:
  static constexpr int kPositions = 59;
  static constexpr int kSprints = 30;
  static constexpr int kPlaces = 5;

  // The colours are read when the screen is shown (read_colours).
  explicit PtsraceModel(const ScreenColours &colours, QObject *parent = nullptr);

  ApplyResult apply_packet(QByteArrayView packet);
  void clear_all();
  void show_sprint();
  // The announcer picked a sprint in the chooser.
  void choose(int sprint);
  // Takes the shared colours as they are now, and widens the name column on
  // a screen this wide.
  void read_colours(int screen_width);

  TextGridModel &standings() { return standings_; }
  TextGridModel &sprint_table() { return sprint_table_; }
  // Sprint s, place i: name in column 2(i-1), points in column 2i-1 of row s.
  TextGridModel &sprint_store() { return sprint_store_; }
  const QStringList &chooser_entries() const { return chooser_entries_; }
  int chosen() const { return chosen_; }
  const ScreenColours &colours() const { return colours_; }

signals:
  // A Packet, a clearing or a choice changed what the screen shows.
  void changed();

private:
  void write_headings();
  void apply_standings_line(QByteArrayView packet, int position);
  void store_sprint(QByteArrayView packet, int sprint);

  const ScreenColours &colours_;
  TextGridModel standings_;
  TextGridModel sprint_table_;
  TextGridModel sprint_store_;
  QStringList chooser_entries_;
  int chosen_ = 0;
};
