#include "serial_line.h"

#include <QSerialPort>

SerialOpening open_serial_line(QSerialPort &port, const Seams &seams, int com_port, int baud) {
  SerialOpening out;
  out.device = seams.serial_device ? seams.serial_device(com_port) : default_serial_device(com_port);
  port.setPortName(out.device);
  port.setBaudRate(baud);
  port.setParity(QSerialPort::NoParity);
  port.setDataBits(QSerialPort::Data8);
  port.setStopBits(QSerialPort::OneStop);
  port.setFlowControl(QSerialPort::NoFlowControl);
  out.opened = port.open(QIODevice::WriteOnly);
  return out;
}
