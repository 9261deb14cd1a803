#include "rtd_driver.h"

#include "protocol/text8.h"
#include "toolkit/serial_line.h"

#include <QSerialPort>
#include <QStringListModel>
#include <QUdpSocket>

namespace {

// The boards' driver asked for this output buffer; QSerialPort grows its
// write buffer as needed, so the figure is only kept for the record.
[[maybe_unused]] constexpr int kSerialOutputBuffer = 40096;

// The failures of opening that say the port itself is missing or taken, as
// opposed to a device that cannot be set up as a serial line.
bool is_serial_port_error(QSerialPort::SerialPortError error) {
  return error == QSerialPort::DeviceNotFoundError || error == QSerialPort::PermissionError ||
         error == QSerialPort::OpenError;
}

bool open_udp(QUdpSocket *socket) {
  if (socket->state() == QAbstractSocket::BoundState)
    return true;
  return socket->bind(QHostAddress(QHostAddress::AnyIPv4), 0);
}

} // namespace

RtdDriver::RtdDriver(RtdDriverState &state, const QdSettings &settings, const Seams &seams,
                     QObject *parent)
    : QObject(parent), state_(state), settings_(settings), seams_(seams),
      apdcoma(new QSerialPort(this)), WSocket1(new QUdpSocket(this)),
      socket1500(new QUdpSocket(this)), log_(new QStringListModel(this)) {
  state_.rtd_ip_broadcast = true;
}

RtdDriver::~RtdDriver() = default;

void RtdDriver::rtd_send(int com_port, int rtd_port, int code, const RtdLines &lines) {
  sends_.call({com_port, rtd_port, code, lines});
}

bool RtdDriver::open_serial(int com_port) {
  rtd_log(QStringLiteral("opening COM%1 for RTD").arg(com_port));
  const SerialOpening opening = open_serial_line(*apdcoma, seams_, com_port, 9600);
  if (opening.opened)
    return true;
  if (is_serial_port_error(apdcoma->error())) {
    // No such port, or someone else holds it: the send goes on without
    // serial output and the next send tries again.
    rtd_log(QStringLiteral("ERROR opening COM %1. RTD serial output disabled.").arg(com_port));
    return true;
  }
  // The device is there but cannot be set up as a serial line.
  emit send_abandoned(QStringLiteral("COM%1 (%2): %3")
                          .arg(com_port)
                          .arg(opening.device, apdcoma->errorString()));
  return false;
}

void RtdDriver::send_one(const PendingSend &send) {
  const int n = send.com_port;
  if (n > 0 && !apdcoma->isOpen() && !open_serial(n))
    return; // abandoned; send_abandoned said why

  const int p = send.rtd_port == 0 ? destinations_.rtd_default_port : send.rtd_port;

  if (WSocket1->state() != QAbstractSocket::BoundState) {
    rtd_log(QStringLiteral("opening WINSOCK %1 for RTD").arg(p));
    if (open_udp(WSocket1))
      rtd_socket_port_ = quint16(p);
  }

  state_.rtd_sequence = rtd_next_sequence(state_.rtd_sequence);
  const QByteArray message =
      rtd_message(state_.rtd_sequence, send.code, send.lines, settings_.qd_chars_per_line);
  const QString message_text = from_8bit(message);

  if (apdcoma->isOpen()) {
    // The port buffers what it is given; a short write is not retried, as
    // the display outputs are fire-and-forget.
    apdcoma->write(message);
    rtd_log(QStringLiteral("COM%1>").arg(n) + message_text);
  }

  if (state_.rtd_ip_broadcast && WSocket1->state() == QAbstractSocket::BoundState) {
    WSocket1->writeDatagram(message, destinations_.address, rtd_socket_port_);
    rtd_log(QStringLiteral("WSOCK %1>").arg(p) + message_text);
  }

  rtd_send_1500(message);
  rtd_show_caption(n);
}

void RtdDriver::rtd_send_1500(const QByteArray &message) {
  if (socket1500->state() != QAbstractSocket::BoundState) {
    rtd_log(QStringLiteral("opening WINSOCK %1 for 1500 RTD").arg(destinations_.port_1500));
    if (open_udp(socket1500))
      socket_1500_port_ = destinations_.port_1500;
  }
  if (seams_.process_events)
    seams_.process_events();
  if (socket1500->state() != QAbstractSocket::BoundState)
    return;
  const qsizetype zero = message.indexOf('\0');
  socket1500->writeDatagram(zero >= 0 ? message.left(zero) : message, destinations_.address,
                            socket_1500_port_);
}

void RtdDriver::rtd_set_ip_broadcast(bool on) { state_.rtd_ip_broadcast = on; }

void RtdDriver::rtd_show_caption(int com_port) {
  caption_ = QStringLiteral("v2.06 Quillforge RTD Driver COM=%1").arg(com_port) +
             (state_.rtd_ip_broadcast ? QStringLiteral(" IP broadcast enabled")
                                      : QStringLiteral(" IP broadcast DISabled"));
  emit caption_changed(caption_);
}

void RtdDriver::rtd_log(const QString &text) {
  const int row = log_->rowCount();
  log_->insertRows(row, 1);
  log_->setData(log_->index(row), text);
  const int excess = log_->rowCount() - kMaxLogLines;
  if (excess > 0)
    log_->removeRows(0, excess);
  emit logged();
}

void RtdDriver::clear_log() { log_->setStringList({}); }

void RtdDriver::close_outputs() {
  if (apdcoma->isOpen()) {
    apdcoma->flush();
    apdcoma->close();
  }
  if (WSocket1->state() != QAbstractSocket::UnconnectedState)
    WSocket1->close();
}

QStringList RtdDriver::log_lines() const { return log_->stringList(); }

bool RtdDriver::serial_open() const { return apdcoma->isOpen(); }

bool RtdDriver::rtd_socket_open() const {
  return WSocket1->state() == QAbstractSocket::BoundState;
}

bool RtdDriver::socket_1500_open() const {
  return socket1500->state() == QAbstractSocket::BoundState;
}
