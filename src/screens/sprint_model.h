#pragma once

#include "protocol/dispatcher.h"
#include "toolkit/screen_colours.h"
#include "toolkit/text_grid.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>

// What the sprint screen shows: one heat, its title, up to four racers, the
// time and the speed. Each Packet replaces the whole heat. Any view may show
// it.
class SprintModel : public QObject {
  Q_OBJECT
public:
  // The colours are read when the screen is shown (read_colours).
  explicit SprintModel(const ScreenColours &colours, QObject *parent = nullptr);

  ApplyResult apply_packet(QByteArrayView packet);
  // Takes the shared colours as they are now, with the table's face.
  void read_colours();

  TextGridModel &heat_table() { return heat_; }
  // The title line as received (8-bit).
  const QByteArray &title() const { return title_; }

signals:
  // A Packet changed what the screen shows.
  void changed();

private:
  const ScreenColours &colours_;
  TextGridModel heat_;
  QByteArray title_;
};
