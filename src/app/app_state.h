#pragma once

#include "reradu/reradu_state.h"
#include "rtd/rtd_state.h"
#include "seiko/seiko_state.h"
#include "suite/broadcast_state.h"
#include "suite/suite_settings.h"
#include "toolkit/screen_colours.h"
#include "toolkit/seams.h"

#include <QByteArray>

// The ports the two listeners open (tests use ephemeral ones).
struct ListenerPorts {
  quint16 first = 29105;  // WSocket1
  quint16 second = 29104; // WSocket2
};

// The process-wide state: owned by start-up, handed to the windows.
struct AppState {
  // The screens' start-up colours: black cells, white text, purple headings.
  ScreenColours colours{0x000000, 0xFFFFFF, 0x800080};
  QByteArray listening_address = "255.255.255.255";
  ListenerPorts ports;
  Seams seams;
  // The shared tools' state.
  BroadcastState broadcast;
  ReraduState reradu;
  RtdDriverState rtd;
  SeikoMonitorState seiko;
  suite_settings suite;
};

// What v2globals.dat stores of the program's own state: the screen colours,
// the listening address, the RTD driver's switch and integer.
inline SuiteSettingsSources suite_settings_sources(const AppState &state) {
  return {state.colours, state.listening_address, state.rtd.rtd_ip_broadcast, state.rtd.line87};
}
