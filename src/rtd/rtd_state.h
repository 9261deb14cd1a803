#pragma once

#include <QHostAddress>

#include <cstdint>

// The driver's process-wide values: the IP-broadcast switch (stored by the
// suite settings writer), the message counter, and an integer the suite
// settings carry with the driver.
struct RtdDriverState {
  bool rtd_ip_broadcast = true;
  int rtd_sequence = 0;
  std::int32_t line87 = 0; // stored in the suite settings; nothing here sets it
};

// Where the two UDP outputs go. The program broadcasts; tests aim them at
// 127.0.0.1 and at ports of their own.
struct RtdDestinations {
  QHostAddress address = QHostAddress(QHostAddress::Broadcast);
  quint16 rtd_default_port = 29696; // used when a send names RTD port 0
  quint16 port_1500 = 3002;
};
