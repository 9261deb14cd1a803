#include "seiko_monitor.h"

#include "protocol/fields.h"
#include "seiko/seiko_messages.h"
#include "toolkit/serial_line.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>

SeikoMonitor::SeikoMonitor(SeikoMonitorState &state, const Seams &seams, QObject *parent)
    : QObject(parent), state_(state), seams_(seams), WSocket1(new QTcpSocket(this)),
      serial_(new QSerialPort(this)), r(new QTimer(this)) {
  state_.tod_on = false;
  state_.panel_count = SeikoMonitorState::kPanels;
  state_.display_port = 29099;

  // A write that fails after the port was opened (device gone) closes it, so
  // the next send opens it again.
  connect(serial_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
    if (e != QSerialPort::WriteError && e != QSerialPort::ResourceError)
      return;
    const QString why = serial_->errorString();
    serial_->close();
    report_serial(QStringLiteral("Seiko serial output COM%1: %2").arg(serial_port_number_).arg(why));
  });

  // A coarse timer would round 990 ms to whole seconds, so every tick would
  // read the clock at the same point of the second and jitter would skip or
  // repeat a second on the panels.
  r->setTimerType(Qt::PreciseTimer);
  r->setInterval(990);
  connect(r, &QTimer::timeout, this, &SeikoMonitor::tick);
  r->start();
}

SeikoMonitor::~SeikoMonitor() {
  r->stop();
  WSocket1->abort();
  if (serial_->isOpen())
    serial_->close();
}

void SeikoMonitor::connect_display(const QString &host, quint16 port) {
  WSocket1->abort();
  WSocket1->connectToHost(host, port);
}

void SeikoMonitor::set_panel(int selector, int panel, QByteArrayView text) {
  state_.serial_selector = selector;
  if (panel < 0) {
    emit panel_set();
    return;
  }
  const QByteArray body = panel_body(panel, text);
  if (selector > 0)
    send_serial(selector, body);
  send_display(framed(body));
  if (panel >= 1 && panel <= SeikoMonitorState::kPanels)
    state_.panel_texts[panel - 1] = panel_text(text);
  emit panel_set();
}

void SeikoMonitor::end_update(int selector) {
  if (selector > 0)
    send_serial(selector, update_end_body());
  send_display(framed(update_end_body()));
  emit update_ended();
}

void SeikoMonitor::send_display(const QByteArray &message) {
  // Fire and forget: a closed connection or a failed write drops the message.
  if (WSocket1->state() != QAbstractSocket::ConnectedState)
    return;
  WSocket1->write(message);
}

void SeikoMonitor::send_serial(int selector, QByteArrayView body) {
  open_serial(selector);
  const char stx = kStx, etx = kEtx;
  const bool whole = serial_->write(&stx, 1) == 1 &&
                     serial_->write(body.data(), body.size()) == body.size() &&
                     serial_->write(&etx, 1) == 1;
  if (!whole)
    throw SeikoSerialError(QStringLiteral("Seiko serial output COM%1: %2")
                               .arg(selector)
                               .arg(serial_->errorString())
                               .toStdString());
  serial_reported_ = false;
}

void SeikoMonitor::open_serial(int selector) {
  if (serial_->isOpen() && serial_port_number_ == selector)
    return;
  if (serial_->isOpen())
    serial_->close();
  serial_port_number_ = selector;
  const SerialOpening opening = open_serial_line(*serial_, seams_, selector, 2400);
  if (opening.opened)
    return;
  throw SeikoSerialError(QStringLiteral("Could not open COM%1 (%2) for the Seiko display: %3")
                             .arg(selector)
                             .arg(opening.device, serial_->errorString())
                             .toStdString());
}

bool SeikoMonitor::run_handler(const std::function<void()> &handler) {
  try {
    handler();
    return true;
  } catch (const SeikoSerialError &e) {
    report_serial(QString::fromStdString(e.what()));
    return false;
  }
}

void SeikoMonitor::report_serial(const QString &text) {
  // One report per run of failures: the ticks come every second and would
  // otherwise stack boxes while the line stays broken.
  if (serial_reported_)
    return;
  serial_reported_ = true;
  emit serial_failed(text);
}

void SeikoMonitor::tick() {
  if (!shown_ || !state_.tod_on)
    return;
  const QByteArray now = cut_at_point(format_clock_time(clock()));
  run_handler([&] {
    for (int panel = 1; panel <= state_.panel_count; ++panel)
      set_panel(state_.serial_selector, panel, now);
    end_update(state_.serial_selector);
  });
}

void SeikoMonitor::clear() {
  if (state_.tod_on)
    set_tod(false);
  run_handler([&] {
    for (int panel = 1; panel <= state_.panel_count; ++panel)
      set_panel(state_.serial_selector, panel, " ");
    end_update(state_.serial_selector);
  });
}

void SeikoMonitor::set_tod(bool on) {
  state_.tod_on = on;
  emit tod_changed(on);
}

void SeikoMonitor::clear_panel_texts() {
  for (QByteArray &t : state_.panel_texts)
    t.clear();
}
