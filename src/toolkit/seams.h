#pragma once

#include "toolkit/data_folder.h"

#include <QString>
#include <QtGlobal>

#include <functional>

class Dialogs;

// The places where the program touches something a test must control: the
// message boxes and file dialog, one pass of the event loop from inside a
// handler, the device behind a serial port number, the wall clock, and the
// folder of the program's files.
struct Seams {
  Dialogs *dialogs = nullptr;
  std::function<void()> process_events;
  std::function<QString(int port)> serial_device;
  // Milliseconds since the epoch; a test moves its own clock instead of
  // sleeping.
  std::function<qint64()> now_ms;
  DataFolder data_folder;
};

// COM n is /dev/ttyS<n-1> on Linux.
QString default_serial_device(int port);

// The real wall clock, in milliseconds since the epoch.
qint64 wall_clock_ms();

// One pass of the real event loop.
void process_waiting_events();

// The seams the program itself uses: real boxes, the real event loop, the
// serial devices of this machine, the real clock.
Seams real_seams(Dialogs &dialogs);
