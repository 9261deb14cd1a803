#include "seikomon_form.h"

#include "protocol/fields.h"
#include "protocol/text8.h"
#include "seiko_messages.h"
#include "seikoreradu_form.h"
#include "toolkit/dialogs.h"
#include "toolkit/led_label.h"

#include <QPushButton>
#include <QSerialPort>
#include <QShowEvent>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr int kPanelLefts[SeikoMonitorState::kPanels] = {4, 100, 196, 296, 392, 488};

QColor tod_face(bool on) { return on ? QColor(255, 0, 0) : QColor(0, 128, 128); }

void set_face(QPushButton *b, const QColor &face, const QColor &text) {
  QPalette pal = b->palette();
  pal.setColor(QPalette::Button, face);
  pal.setColor(QPalette::ButtonText, text);
  b->setPalette(pal);
  // The palette alone is ignored by some styles; the sheet is not.
  b->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; "
                                  "border: 1px solid black; }")
                       .arg(face.name(), text.name()));
}

} // namespace

Tseikomon_form::Tseikomon_form(SeikoMonitorState &state, const Seams &seams, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      state_(state), seams_(seams), WSocket1(new QTcpSocket(this)),
      serial_(new QSerialPort(this)), r(new QTimer(this)) {
  run_typewriter = [](Tseikoreradu_form &typewriter) { typewriter.exec(); };

  setFixedSize(825, 26);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::red);
  setPalette(pal);
  setAutoFillBackground(true);
  QFont small = font();
  small.setPixelSize(11);

  for (int i = 0; i < SeikoMonitorState::kPanels; ++i) {
    auto *label = new LedLabel(this);
    label->setObjectName(QStringLiteral("panel%1_label").arg(i + 1));
    label->setAccessibleDescription(QStringLiteral("Panel %1").arg(i + 1));
    label->setGeometry(kPanelLefts[i], 2, i == 2 ? 97 : 93, 20);
    label->set_segment_size(4, 5);
    label->set_stroke(1);
    label->set_active_colour(QColor(255, 255, 0));
    panels_[i] = label;
  }

  clear_btn = new QPushButton(QStringLiteral("Clear"), this);
  clear_btn->setGeometry(596, 4, 57, 17);
  clear_btn->setFont(small);
  set_face(clear_btn, QColor(0, 255, 0), Qt::black);
  tod_btn = new QPushButton(this);
  tod_btn->setGeometry(664, 4, 75, 17);
  tod_btn->setFont(small);
  msg_btn = new QPushButton(QStringLiteral("Message"), this);
  msg_btn->setGeometry(760, 4, 61, 17);
  msg_btn->setFont(small);
  for (QPushButton *b : {clear_btn, tod_btn, msg_btn})
    b->setFocusPolicy(Qt::TabFocus);
  connect(clear_btn, &QPushButton::clicked, this, &Tseikomon_form::clear_btnClick);
  connect(tod_btn, &QPushButton::clicked, this, &Tseikomon_form::tod_btnClick);
  connect(msg_btn, &QPushButton::clicked, this, &Tseikomon_form::msg_btnClick);

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
  connect(r, &QTimer::timeout, this, &Tseikomon_form::rTimer);
  FormCreate();
  r->start();
}

Tseikomon_form::~Tseikomon_form() { FormDestroy(); }

void Tseikomon_form::FormCreate() {
  state_.tod_on = false;
  state_.panel_count = SeikoMonitorState::kPanels;
  state_.display_port = 29099;
  setWindowTitle(QStringLiteral("1.33 Marrick's Quillforge Seiko Monitor | Winsock ONLY"));
  update_tod_button();
}

void Tseikomon_form::FormShow() {
  state_.tod_on = false;
  update_tod_button();
  for (QByteArray &t : state_.panel_texts)
    t.clear();
  for (LedLabel *label : panels_)
    label->clear();
  move(0, -2);
  update();
}

void Tseikomon_form::FormDestroy() {
  r->stop();
  WSocket1->abort();
  if (serial_->isOpen())
    serial_->close();
}

void Tseikomon_form::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous())
    FormShow();
}

void Tseikomon_form::connect_display(const QString &host, quint16 port) {
  WSocket1->abort();
  WSocket1->connectToHost(host, port);
}

void Tseikomon_form::set_panel(int selector, int panel, QByteArrayView text) {
  state_.serial_selector = selector;
  if (panel < 0) {
    update();
    return;
  }
  const QByteArray body = panel_body(panel, text);
  if (selector > 0)
    send_serial(selector, body);
  send_display(framed(body));
  if (panel >= 1 && panel <= SeikoMonitorState::kPanels)
    state_.panel_texts[panel - 1] = panel_text(text);
  update();
}

void Tseikomon_form::end_update(int selector) {
  if (selector > 0)
    send_serial(selector, update_end_body());
  send_display(framed(update_end_body()));
  if (!isVisible())
    return;
  for (int i = 0; i < SeikoMonitorState::kPanels; ++i) {
    panels_[i]->setText(from_8bit(state_.panel_texts[i]));
    panels_[i]->repaint();
  }
}

void Tseikomon_form::send_display(const QByteArray &message) {
  // Fire and forget: a closed connection or a failed write drops the message.
  if (WSocket1->state() != QAbstractSocket::ConnectedState)
    return;
  WSocket1->write(message);
}

void Tseikomon_form::send_serial(int selector, QByteArrayView body) {
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

void Tseikomon_form::open_serial(int selector) {
  if (serial_->isOpen() && serial_port_number_ == selector)
    return;
  if (serial_->isOpen())
    serial_->close();
  serial_port_number_ = selector;
  const QString device =
      seams_.serial_device ? seams_.serial_device(selector) : default_serial_device(selector);
  serial_->setPortName(device);
  serial_->setBaudRate(2400);
  serial_->setDataBits(QSerialPort::Data8);
  serial_->setParity(QSerialPort::NoParity);
  serial_->setStopBits(QSerialPort::OneStop);
  serial_->setFlowControl(QSerialPort::NoFlowControl);
  if (serial_->open(QIODevice::WriteOnly))
    return;
  throw SeikoSerialError(QStringLiteral("Could not open COM%1 (%2) for the Seiko display: %3")
                             .arg(selector)
                             .arg(device, serial_->errorString())
                             .toStdString());
}

bool Tseikomon_form::run_handler(const std::function<void()> &handler) {
  try {
    handler();
    return true;
  } catch (const SeikoSerialError &e) {
    report_serial(QString::fromStdString(e.what()));
    return false;
  }
}

void Tseikomon_form::report_serial(const QString &text) {
  // One box per run of failures: the ticks come every second and would
  // otherwise stack boxes while the line stays broken.
  if (serial_reported_)
    return;
  serial_reported_ = true;
  if (seams_.dialogs)
    seams_.dialogs->general_error(this, text);
}

void Tseikomon_form::rTimer() {
  if (!isVisible() || !state_.tod_on)
    return;
  const QByteArray now = cut_at_point(format_clock_time(clock()));
  run_handler([&] {
    for (int panel = 1; panel <= state_.panel_count; ++panel)
      set_panel(state_.serial_selector, panel, now);
    end_update(state_.serial_selector);
  });
}

void Tseikomon_form::clear_btnClick() {
  if (state_.tod_on) {
    state_.tod_on = false;
    update_tod_button();
  }
  run_handler([&] {
    for (int panel = 1; panel <= state_.panel_count; ++panel)
      set_panel(state_.serial_selector, panel, " ");
    end_update(state_.serial_selector);
  });
}

void Tseikomon_form::tod_btnClick() {
  state_.tod_on = !state_.tod_on;
  update_tod_button();
}

void Tseikomon_form::update_tod_button() {
  tod_btn->setText(state_.tod_on ? QStringLiteral("STOP TOD") : QStringLiteral("Send TOD"));
  set_face(tod_btn, tod_face(state_.tod_on), Qt::white);
}

void Tseikomon_form::msg_btnClick() {
  state_.tod_on = false;
  update_tod_button();
  if (!typewriter_)
    return;
  // Over the monitor's right end: right and top edges lined up.
  const QRect monitor = frameGeometry();
  const QRect typewriter = typewriter_->frameGeometry();
  typewriter_->move(monitor.x() + monitor.width() - typewriter.width(), monitor.y());
  if (run_typewriter)
    run_typewriter(*typewriter_);
}
