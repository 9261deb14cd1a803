#pragma once

// The RERadu settings that shape what goes to the display boards. This
// program keeps them at these values for the whole run; nothing stores them.
// They live with the RTD driver, the lower of their two readers (the RERadu
// editor is the other).
struct QdSettings {
  int qd_chars_per_line = 25;  // W: characters per display line
  int qd_code = 1;             // the RTD message's two-digit code field
  int rtd_winsock_port = 0;    // RTD broadcast port; 0 stands for 29696
  int qd_commentator_port = 0; // port of the {reradu} packet; 0 = no packet
  int rtd_com_port = 0;        // serial port number (COM1 is 1); 0 = no serial output
};
