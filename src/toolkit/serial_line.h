#pragma once

#include "toolkit/seams.h"

#include <QString>

class QSerialPort;

struct SerialOpening {
  QString device; // the device behind the port number, for messages
  bool opened = false;
};

// Sets port up as COM com_port (the device the seams name for it) at baud,
// no parity, 8 data bits, 1 stop bit, no flow control, and opens it for
// writing. On failure port.error() tells why.
SerialOpening open_serial_line(QSerialPort &port, const Seams &seams, int com_port, int baud);
