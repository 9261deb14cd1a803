#pragma once

#include "screens/omnium_model.h"
#include "screens/ptsrace_model.h"
#include "screens/reradu_screen_model.h"
#include "screens/scratch_model.h"
#include "screens/sprint_model.h"
#include "screens/tt_model.h"
#include "web/screen_json.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// The six screens' models, as start-up holds them.
struct ScreenModels {
  ScreenColours colours{0x000000, 0xFFFFFF, 0x800080};
  ScratchModel scratch{colours};
  OmniumModel omnium;
  PtsraceModel points_race{colours};
  SprintModel sprint{colours};
  TtModel time_trial{colours};
  ReraduScreenModel frame;


  // A screen as the browser view serves it, by its route name.
  QJsonObject json(const QString &name) {
    if (name == "scratch")
      return screen_json(scratch);
    if (name == "omnium")
      return screen_json(omnium);
    if (name == "points-race")
      return screen_json(points_race);
    if (name == "sprint")
      return screen_json(sprint);
    if (name == "time-trial")
      return screen_json(time_trial);
    return screen_json(frame);
  }
  // A Packet to the model its leading tag names.
  void apply(const QByteArray &packet) {
    if (packet.startsWith("{scratch}"))
      scratch.apply_packet(packet);
    else if (packet.startsWith("{omnium}"))
      omnium.apply_packet(packet);
    else if (packet.startsWith("{ptsrace}"))
      points_race.apply_packet(packet);
    else if (packet.startsWith("{sprintf}"))
      sprint.apply_packet(packet);
    else if (packet.startsWith("{tt}"))
      time_trial.apply_packet(packet);
    else
      frame.apply_packet(packet);
  }
};
