#pragma once

#include <QObject>

class QSocketNotifier;

namespace tap {

// Turns SIGINT and SIGTERM into a Qt signal (through a self-pipe, since a
// signal handler may do almost nothing), so that record and play end
// cleanly with their summary. One instance at a time; the destructor puts
// the default handlers back.
class StopSignals : public QObject {
  Q_OBJECT
public:
  explicit StopSignals(QObject *parent = nullptr);
  ~StopSignals() override;

signals:
  void stop_requested(int signal_number);

private:
  void read_pipe();
  QSocketNotifier *notifier_ = nullptr;
};

} // namespace tap
