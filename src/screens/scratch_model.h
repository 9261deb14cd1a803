#pragma once

#include "protocol/dispatcher.h"
#include "toolkit/screen_colours.h"
#include "toolkit/text_grid.h"

#include <QByteArrayView>
#include <QObject>

// What the scratch / keirin screen shows: the heat's event block and up to
// 50 competitor lines, filled from Packets. Any view may show it.
class ScratchModel : public QObject {
  Q_OBJECT
public:
  static constexpr int kLines = 50;

  explicit ScratchModel(const ScreenColours &colours, QObject *parent = nullptr);

  ApplyResult apply_packet(QByteArrayView packet);
  void clear_all();

  TextGridModel &event_table() { return event_; }
  TextGridModel &competitor_table() { return competitors_; }

signals:
  // A Packet or a clearing changed what the screen shows.
  void changed();

private:
  TextGridModel event_;
  TextGridModel competitors_;
};
