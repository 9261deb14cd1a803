#pragma once

#include "reradu/qd_settings.h"
#include "rtd/rtd_message.h"
#include "toolkit/seams.h"

#include <QHostAddress>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <deque>

class QGroupBox;
class QListWidget;
class QSerialPort;
class QUdpSocket;

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

// The RTD driver: puts a frame of eight lines on the display boards over a
// serial port, the RTD broadcast and the 1500 output, and lists what it did.
class Trtd_form : public QWidget {
  Q_OBJECT
public:
  Trtd_form(RtdDriverState &state, const QdSettings &settings, const Seams &seams,
            QWidget *parent = nullptr);
  ~Trtd_form() override;

  // Builds one RTD message and writes it to the outputs. A serial device
  // that cannot be set up abandons the send with the general error report.
  // A send asked for
  // while another is in progress (from the event pass before the 1500
  // datagram) runs after it, so every output sees the messages in order.
  void rtd_send(int com_port, int rtd_port, int code, const RtdLines &lines);
  // Sends a message on the 1500 output.
  void rtd_send_1500(const QByteArray &message);
  void rtd_set_ip_broadcast(bool on);
  void rtd_show_caption(int com_port);
  void rtd_log(const QString &text);

  void set_destinations(const RtdDestinations &destinations) { destinations_ = destinations; }
  const RtdDestinations &destinations() const { return destinations_; }

  QStringList log_lines() const;
  int log_top_index() const;
  bool serial_open() const;
  bool rtd_socket_open() const;
  bool socket_1500_open() const;
  QGroupBox *messages_box() const { return GroupBox1; }
  QListWidget *message_list() const { return ListBox1; }
  const QUdpSocket *rtd_socket() const { return WSocket1; }
  const QUdpSocket *socket_1500() const { return socket1500; }

protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  struct PendingSend {
    int com_port;
    int rtd_port;
    int code;
    RtdLines lines;
  };

  void FormCreate();
  void FormShow();
  void FormHide();
  void send_one(const PendingSend &send);
  // False when the send must be abandoned.
  bool open_serial(int com_port);

  RtdDriverState &state_;
  const QdSettings &settings_;
  const Seams &seams_;
  RtdDestinations destinations_;

  QSerialPort *apdcoma;
  QUdpSocket *WSocket1;
  QUdpSocket *socket1500;
  QGroupBox *GroupBox1;
  QListWidget *ListBox1;

  quint16 rtd_socket_port_ = 0;   // fixed when the RTD socket is opened
  quint16 socket_1500_port_ = 0;  // likewise for the 1500 socket
  std::deque<PendingSend> pending_;
  bool sending_ = false;
};
