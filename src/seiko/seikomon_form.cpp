#include "seikomon_form.h"

#include "protocol/text8.h"
#include "seiko/seiko_monitor.h"
#include "seikoreradu_form.h"
#include "toolkit/dialogs.h"
#include "toolkit/led_label.h"

#include <QPushButton>
#include <QShowEvent>

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

Tseikomon_form::Tseikomon_form(SeikoMonitor &monitor, const Seams &seams, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      monitor_(monitor), seams_(seams) {
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

  connect(&monitor_, &SeikoMonitor::panel_set, this, qOverload<>(&QWidget::update));
  connect(&monitor_, &SeikoMonitor::update_ended, this, &Tseikomon_form::show_panel_texts);
  connect(&monitor_, &SeikoMonitor::tod_changed, this, &Tseikomon_form::update_tod_button);
  connect(&monitor_, &SeikoMonitor::serial_failed, this, [this](const QString &text) {
    if (seams_.dialogs)
      seams_.dialogs->general_error(this, text);
  });
  FormCreate();
}

Tseikomon_form::~Tseikomon_form() { monitor_.set_shown(false); }

void Tseikomon_form::FormCreate() {
  setWindowTitle(QStringLiteral("1.33 Marrick's Quillforge Seiko Monitor | Winsock ONLY"));
  update_tod_button();
}

void Tseikomon_form::FormShow() {
  monitor_.set_tod(false);
  monitor_.clear_panel_texts();
  for (LedLabel *label : panels_)
    label->clear();
  move(0, -2);
  update();
}

void Tseikomon_form::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (event->spontaneous())
    return;
  monitor_.set_shown(true);
  FormShow();
}

void Tseikomon_form::hideEvent(QHideEvent *event) {
  QWidget::hideEvent(event);
  if (!event->spontaneous())
    monitor_.set_shown(false);
}

void Tseikomon_form::show_panel_texts() {
  // A hidden window leaves its read-outs as they are.
  if (!isVisible())
    return;
  const SeikoMonitorState &state = monitor_.state();
  for (int i = 0; i < SeikoMonitorState::kPanels; ++i) {
    panels_[i]->setText(from_8bit(state.panel_texts[i]));
    panels_[i]->repaint();
  }
}

void Tseikomon_form::rTimer() { monitor_.tick(); }

void Tseikomon_form::clear_btnClick() { monitor_.clear(); }

void Tseikomon_form::tod_btnClick() { monitor_.set_tod(!monitor_.state().tod_on); }

void Tseikomon_form::update_tod_button() {
  const bool on = monitor_.state().tod_on;
  tod_btn->setText(on ? QStringLiteral("STOP TOD") : QStringLiteral("Send TOD"));
  set_face(tod_btn, tod_face(on), Qt::white);
}

void Tseikomon_form::msg_btnClick() {
  monitor_.set_tod(false);
  if (!typewriter_)
    return;
  // Over the monitor's right end: right and top edges lined up.
  const QRect monitor = frameGeometry();
  const QRect typewriter = typewriter_->frameGeometry();
  typewriter_->move(monitor.x() + monitor.width() - typewriter.width(), monitor.y());
  if (run_typewriter)
    run_typewriter(*typewriter_);
}
