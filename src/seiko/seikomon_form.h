#pragma once

#include "seiko/seiko_state.h"
#include "toolkit/seams.h"

#include <QWidget>

#include <array>
#include <functional>

class LedLabel;
class QPushButton;
class SeikoMonitor;
class Tseikoreradu_form;

// The Seiko display monitor's window: six LED read-outs mirroring the panels
// and the Clear, time-of-day and Message buttons over the monitor's driver.
class Tseikomon_form : public QWidget {
  Q_OBJECT
public:
  Tseikomon_form(SeikoMonitor &monitor, const Seams &seams, QWidget *parent = nullptr);
  ~Tseikomon_form() override;

  SeikoMonitor &driver() const { return monitor_; }

  // The typewriter the Message button opens, and how it is run modally
  // (tests replace it so nothing blocks).
  void set_typewriter(Tseikoreradu_form *typewriter) { typewriter_ = typewriter; }
  std::function<void(Tseikoreradu_form &)> run_typewriter;

  void rTimer();
  void clear_btnClick();
  void tod_btnClick();
  void msg_btnClick();
  void update_tod_button();

  LedLabel *panel_label(int panel) const { return panels_.at(panel - 1); }
  QPushButton *clear_button() const { return clear_btn; }
  QPushButton *tod_button() const { return tod_btn; }
  QPushButton *msg_button() const { return msg_btn; }

protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  void FormCreate();
  void FormShow();
  void show_panel_texts();

  SeikoMonitor &monitor_;
  Seams seams_;
  Tseikoreradu_form *typewriter_ = nullptr;
  std::array<LedLabel *, SeikoMonitorState::kPanels> panels_{};
  QPushButton *clear_btn = nullptr;
  QPushButton *tod_btn = nullptr;
  QPushButton *msg_btn = nullptr;
};
