#include "seams.h"

#include <QCoreApplication>
#include <QDateTime>

QString default_serial_device(int port) {
  return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}

qint64 wall_clock_ms() { return QDateTime::currentMSecsSinceEpoch(); }

void process_waiting_events() { QCoreApplication::processEvents(); }

Seams real_seams(Dialogs &dialogs) {
  Seams s;
  s.dialogs = &dialogs;
  s.process_events = process_waiting_events;
  s.serial_device = default_serial_device;
  s.now_ms = wall_clock_ms;
  return s;
}
