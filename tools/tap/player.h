#pragma once

#include "tap/capture.h"
#include "tap/sender.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

namespace tap {

struct PlayOptions {
  double speed = 1.0; // 10 plays ten times faster
  bool loop = false;  // start over after the last datagram, until stop()
};

// Replays captured datagrams with their original spacing. The first datagram
// goes out at once (silence before it is skipped); each later one at its
// offset from the first, divided by the speed. A timer that fires early only
// re-arms, so no datagram leaves before its time.
class Player : public QObject {
  Q_OBJECT
public:
  // Pause between the last datagram of one pass and the first of the next
  // (divided by the speed), so that a loop never floods the receiver.
  static constexpr double kLoopGapMs = 1000;
  // Nanoseconds on a monotonic clock; only differences count.
  using Clock = std::function<qint64()>;

  // Without a clock, the steady clock; tests pass one they move themselves.
  Player(QList<CaptureRecord> records, Endpoint to, PlayOptions options,
         QObject *parent = nullptr, Clock clock = {});

  // Begins playing from the event loop; finished() or failed() follows.
  void start();
  // Ends playing; finished() follows.
  void stop();

  qint64 sent() const { return sent_; }
  int passes() const { return passes_; }

signals:
  void finished();
  void failed(const QString &message);

private:
  void step();
  qint64 due_ns(qsizetype index) const;
  void finish();

  QList<CaptureRecord> records_;
  Sender sender_;
  PlayOptions options_;
  Clock clock_;
  qint64 start_ns_ = 0;
  QTimer timer_;
  qint64 pass_start_ns_ = 0;
  qsizetype next_ = 0;
  qint64 sent_ = 0;
  int passes_ = 0;
  bool done_ = false;
};

} // namespace tap
