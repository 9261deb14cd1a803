#include "rtd_form.h"

#include "protocol/text8.h"
#include "toolkit/dialogs.h"
#include "toolkit/outer_size.h"

#include <QGroupBox>
#include <QListWidget>
#include <QSerialPort>
#include <QShowEvent>
#include <QUdpSocket>
#include <QVBoxLayout>

namespace {

constexpr int max_log_lines = 100;
constexpr int kItemHeight = 11;
constexpr int kListExtent = 3000;
// The boards' driver asked for this output buffer; QSerialPort grows its
// write buffer as needed, so the figure is only kept for the record.
[[maybe_unused]] constexpr int serial_output_buffer = 40096;

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

Trtd_form::Trtd_form(RtdDriverState &state, const QdSettings &settings, const Seams &seams,
                     QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      state_(state), settings_(settings), seams_(seams), apdcoma(new QSerialPort(this)),
      WSocket1(new QUdpSocket(this)), socket1500(new QUdpSocket(this)),
      GroupBox1(new QGroupBox(QStringLiteral("Messages"), this)),
      ListBox1(new QListWidget(GroupBox1)) {
  setWindowTitle(QStringLiteral("c"));
  keep_outer_size(this, QSize(270, 161), false);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::black);
  setPalette(p);

  GroupBox1->setAutoFillBackground(true);
  QPalette gp = GroupBox1->palette();
  gp.setColor(QPalette::Window, QColor(0x00, 0x80, 0x00));
  GroupBox1->setPalette(gp);
  // The group box keeps its design margins to the client area's edges
  // (257 x 129 in a client of 262 x 134) as the window grows.
  auto *outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 5, 5);
  outer->addWidget(GroupBox1);
  auto *inner = new QVBoxLayout(GroupBox1);
  inner->setContentsMargins(4, 12, 8, 4);
  inner->addWidget(ListBox1);
  QPalette lp = ListBox1->palette();
  lp.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
  ListBox1->setPalette(lp);
  QFont f(QStringLiteral("Lucida Console"));
  f.setStyleHint(QFont::Monospace);
  f.setPixelSize(11);
  ListBox1->setFont(f);
  ListBox1->setUniformItemSizes(true);
  ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  ListBox1->setAccessibleName(QStringLiteral("Messages"));

  FormCreate();
}

Trtd_form::~Trtd_form() = default;

void Trtd_form::FormCreate() { state_.rtd_ip_broadcast = true; }

void Trtd_form::FormShow() {
  rtd_show_caption(0);
  ListBox1->clear();
}

void Trtd_form::FormHide() {
  if (apdcoma->isOpen()) {
    apdcoma->flush();
    apdcoma->close();
  }
  if (WSocket1->state() != QAbstractSocket::UnconnectedState)
    WSocket1->close();
}

void Trtd_form::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous())
    FormShow();
}

void Trtd_form::hideEvent(QHideEvent *event) {
  QWidget::hideEvent(event);
  if (!event->spontaneous())
    FormHide();
}

void Trtd_form::rtd_send(int com_port, int rtd_port, int code, const RtdLines &lines) {
  pending_.push_back({com_port, rtd_port, code, lines});
  if (sending_)
    return; // the send in progress takes it up when it is done
  sending_ = true;
  while (!pending_.empty()) {
    const PendingSend next = pending_.front();
    pending_.pop_front();
    send_one(next);
  }
  sending_ = false;
}

bool Trtd_form::open_serial(int com_port) {
  rtd_log(QStringLiteral("opening COM%1 for RTD").arg(com_port));
  const QString device =
      seams_.serial_device ? seams_.serial_device(com_port) : default_serial_device(com_port);
  apdcoma->setPortName(device);
  apdcoma->setBaudRate(QSerialPort::Baud9600);
  apdcoma->setParity(QSerialPort::NoParity);
  apdcoma->setDataBits(QSerialPort::Data8);
  apdcoma->setStopBits(QSerialPort::OneStop);
  if (apdcoma->open(QIODevice::WriteOnly))
    return true;
  if (is_serial_port_error(apdcoma->error())) {
    // No such port, or someone else holds it: the send goes on without
    // serial output and the next send tries again.
    rtd_log(QStringLiteral("ERROR opening COM %1. RTD serial output disabled.").arg(com_port));
    return true;
  }
  // The device is there but cannot be set up as a serial line.
  if (seams_.dialogs)
    seams_.dialogs->general_error(this, QStringLiteral("COM%1 (%2): %3")
                                            .arg(com_port)
                                            .arg(device, apdcoma->errorString()));
  return false;
}

void Trtd_form::send_one(const PendingSend &send) {
  const int n = send.com_port;
  if (n > 0 && !apdcoma->isOpen() && !open_serial(n))
    return; // abandoned; the general error report showed why

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

void Trtd_form::rtd_send_1500(const QByteArray &message) {
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

void Trtd_form::rtd_set_ip_broadcast(bool on) { state_.rtd_ip_broadcast = on; }

void Trtd_form::rtd_show_caption(int com_port) {
  setWindowTitle(QStringLiteral("v2.06 Quillforge RTD Driver COM=%1").arg(com_port) +
                 (state_.rtd_ip_broadcast ? QStringLiteral(" IP broadcast enabled")
                                          : QStringLiteral(" IP broadcast DISabled")));
}

void Trtd_form::rtd_log(const QString &text) {
  auto *item = new QListWidgetItem(text);
  // Every line is 11 px high, and the list scrolls 3000 px sideways.
  item->setSizeHint(QSize(kListExtent, kItemHeight));
  ListBox1->addItem(item);
  while (ListBox1->count() > max_log_lines)
    delete ListBox1->takeItem(0);
  if (ListBox1->count() > 2)
    ListBox1->scrollToItem(ListBox1->item(ListBox1->count() - 2),
                           QAbstractItemView::PositionAtTop);
}

QStringList Trtd_form::log_lines() const {
  QStringList out;
  for (int i = 0; i < ListBox1->count(); ++i)
    out.append(ListBox1->item(i)->text());
  return out;
}

int Trtd_form::log_top_index() const {
  const QModelIndex top = ListBox1->indexAt(QPoint(1, 1));
  return top.isValid() ? top.row() : -1;
}

bool Trtd_form::serial_open() const { return apdcoma->isOpen(); }

bool Trtd_form::rtd_socket_open() const {
  return WSocket1->state() == QAbstractSocket::BoundState;
}

bool Trtd_form::socket_1500_open() const {
  return socket1500->state() == QAbstractSocket::BoundState;
}
