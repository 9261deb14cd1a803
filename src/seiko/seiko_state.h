#pragma once

#include <QByteArray>

#include <array>

// What the monitor last sent, kept for the whole run.
struct SeikoMonitorState {
  static constexpr int kPanels = 6;
  int panel_count = kPanels;                    // panels the time of day and Clear address
  std::array<QByteArray, kPanels> panel_texts;  // [0] is panel 1; fitted, ten characters
  bool tod_on = false;                          // the time of day goes out every tick
  int serial_selector = 0;                      // from the last set_panel; 0: no serial line
  quint16 display_port = 29099;                 // the display's port; nothing connects by it yet
};
