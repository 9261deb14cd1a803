#pragma once

#include "rtd/qd_settings.h"
#include "rtd/rtd_message.h"
#include "rtd/rtd_state.h"
#include "toolkit/one_at_a_time.h"
#include "toolkit/seams.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QSerialPort;
class QStringListModel;
class QUdpSocket;

// The RTD driver: puts a frame of eight lines on the display boards over a
// serial port, the RTD broadcast and the 1500 output, and keeps the list of
// what it did. Works with or without its window.
class RtdDriver : public QObject {
  Q_OBJECT
public:
  static constexpr int kMaxLogLines = 100;

  RtdDriver(RtdDriverState &state, const QdSettings &settings, const Seams &seams,
            QObject *parent = nullptr);
  ~RtdDriver() override;

  // Builds one RTD message and writes it to the outputs. A serial device
  // that cannot be set up abandons the send (send_abandoned says why).
  // A send asked for while another is in progress (from the event pass
  // before the 1500 datagram) runs after it, so every output sees the
  // messages in order.
  void rtd_send(int com_port, int rtd_port, int code, const RtdLines &lines);
  // Sends a message on the 1500 output.
  void rtd_send_1500(const QByteArray &message);
  void rtd_set_ip_broadcast(bool on);
  void rtd_show_caption(int com_port);
  void rtd_log(const QString &text);
  void clear_log();
  // Closes the serial port and the RTD socket; the 1500 socket stays open.
  void close_outputs();

  void set_destinations(const RtdDestinations &destinations) { destinations_ = destinations; }
  const RtdDestinations &destinations() const { return destinations_; }

  const QString &caption() const { return caption_; }
  // The message list: at most 100 lines, oldest removed first.
  QStringListModel *log() const { return log_; }
  QStringList log_lines() const;
  bool serial_open() const;
  bool rtd_socket_open() const;
  bool socket_1500_open() const;
  const QUdpSocket *rtd_socket() const { return WSocket1; }
  const QUdpSocket *socket_1500() const { return socket1500; }

signals:
  void caption_changed(const QString &caption);
  // A line was added (and the oldest ones removed).
  void logged();
  // The serial device could not be set up as a serial line.
  void send_abandoned(const QString &why);

private:
  struct PendingSend {
    int com_port;
    int rtd_port;
    int code;
    RtdLines lines;
  };

  void send_one(const PendingSend &send);
  // False when the send must be abandoned.
  bool open_serial(int com_port);

  RtdDriverState &state_;
  const QdSettings &settings_;
  const Seams &seams_;
  RtdDestinations destinations_;
  QString caption_ = QStringLiteral("c");

  QSerialPort *apdcoma;
  QUdpSocket *WSocket1;
  QUdpSocket *socket1500;
  QStringListModel *log_;

  quint16 rtd_socket_port_ = 0;  // fixed when the RTD socket is opened
  quint16 socket_1500_port_ = 0; // likewise for the 1500 socket
  OneAtATime<PendingSend> sends_{[this](const PendingSend &send) { send_one(send); }};
};
