#pragma once

#include "protocol/dispatcher.h"
#include "toolkit/text_grid.h"

#include <QByteArrayView>
#include <QObject>

// Empties every cell inside the grid's current row and column counts; cells
// outside them keep their text.
void clear_grid(TextGridModel &grid);

// What the omnium screen shows: a results table whose shape the results
// program sends. Any view may show it.
class OmniumModel : public QObject {
  Q_OBJECT
public:
  explicit OmniumModel(QObject *parent = nullptr);

  // failed: a count or line number was not a number as a whole; what the
  // Packet changed before that stays.
  ApplyResult apply_packet(QByteArrayView packet);
  void reset_grid();

  TextGridModel &results() { return results_; }

signals:
  // A Packet or a reset changed what the screen shows.
  void changed();

private:
  ApplyResult apply_counts_and_line(QByteArrayView packet);

  TextGridModel results_;
};
