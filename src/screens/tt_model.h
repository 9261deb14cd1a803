#pragma once

#include "protocol/dispatcher.h"
#include "toolkit/screen_colours.h"
#include "toolkit/text_grid.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

// What the time-trial screen shows: for each of the two racers on the track
// a summary, a list and two read-out texts (time and difference), and the
// standings between them. Any view may show it.
class TtModel : public QObject {
  Q_OBJECT
public:
  enum class Side { left, right };
  static constexpr int kPositions = 99;
  static constexpr int kListLines = 41;

  // The colours are read when the screen is shown (start_showing).
  explicit TtModel(const ScreenColours &colours, QObject *parent = nullptr);

  ApplyResult apply_packet(QByteArrayView packet);
  void clear_racers();
  void clear_all();
  // The screen comes up: small rows, nothing from before, the shared
  // colours as they are now.
  void start_showing();

  // The side a racer or list update goes to.
  static Side choose_side(QByteArrayView packet);
  // The summary's second row: time, then diff, rank and speed where present.
  static QByteArray result_line(QByteArrayView packet);

  TextGridModel &standings() { return standings_; }
  TextGridModel &summary(Side side) { return racer(side).summary; }
  TextGridModel &list(Side side) { return racer(side).list; }
  const QString &time_text(Side side) { return racer(side).time; }
  const QString &diff_text(Side side) { return racer(side).diff; }

signals:
  // A Packet, a clearing or the start of showing changed what the screen
  // shows.
  void changed();

private:
  struct Racer {
    TextGridModel summary;
    TextGridModel list;
    QString time;
    QString diff;
  };
  Racer &racer(Side side) { return side == Side::left ? left_ : right_; }

  void clear_racer_parts();
  void apply_standings_line(QByteArrayView packet, int position);
  void apply_racer_update(QByteArrayView packet);
  void apply_list_update(QByteArrayView packet);

  const ScreenColours &colours_;
  TextGridModel standings_;
  Racer left_;
  Racer right_;
};
