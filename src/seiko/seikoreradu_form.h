#pragma once

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;
class SeikoMonitor;

// The Seiko typewriter: six lines of up to ten characters, one per panel,
// sent together through the monitor. Enter sends, Esc closes; the lines keep
// their texts between openings.
class Tseikoreradu_form : public QDialog {
  Q_OBJECT
public:
  static constexpr int kLines = 6;
  static constexpr int kLineLength = 10;

  explicit Tseikoreradu_form(SeikoMonitor &monitor, QWidget *parent = nullptr);

  // All six panels with the monitor's selector, then one update-end message.
  void send_lines();

  QLineEdit *line(int k) const { return edits_.at(k - 1); } // k = 1..6
  QPushButton *send_button() const { return BitBtn1; }
  QPushButton *ok_button() const { return BitBtn2; }

protected:
  void showEvent(QShowEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  // The window sees every key before its controls do.
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void FormShow();
  bool FormKeyDown(int key);

  SeikoMonitor &monitor_;
  std::array<QLineEdit *, kLines> edits_{};
  QPushButton *BitBtn1 = nullptr;
  QPushButton *BitBtn2 = nullptr;
};
