#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal on the thread that made it
// (through a self-pipe, since a signal handler may do almost nothing): the
// program ends the way "E&xit" does, the packet tap's record and play end
// with their summary. One instance at a time; the destructor puts the
// default handlers back. Qt Core only, so the tap can link it.
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
