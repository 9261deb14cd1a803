#pragma once

#include <QString>

#include <functional>

class Dialogs;

// The places where the program touches something a test must control: the
// message boxes and file dialog, one pass of the event loop from inside a
// handler, and the device behind a serial port number.
struct Seams {
  Dialogs *dialogs = nullptr;
  std::function<void()> process_events;
  std::function<QString(int port)> serial_device;
};

// COM n is /dev/ttyS<n-1> on Linux.
QString default_serial_device(int port);

// One pass of the real event loop.
void process_waiting_events();

// The seams the program itself uses: real boxes, the real event loop, the
// serial devices of this machine.
Seams real_seams(Dialogs &dialogs);
