#pragma once

// What the benchmarks share: the datagram mix, a sender thread on loopback,
// the whole program built offscreen, a paint counter, figures and /proc
// readings.

#include "app/app_state.h"
#include "app/startup.h"
#include "protocol/dispatcher.h"
#include "toolkit/dialogs.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class QWidget;

namespace bench {

inline qint64 now_ns() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Sets up offscreen rendering unless a platform was chosen.
void use_offscreen_platform();

// One result line: name, measured value with its unit, the target, PASS/FAIL.
// Returns pass.
bool figure(const QString &name, double value, const QString &unit, const QString &target,
            bool pass);
// A line for a figure that could not be measured, with its reason.
void skipped(const QString &name, const QString &reason);
// A note line (context, not a figure).
void note(const QString &text);
// Number of FAIL lines printed so far (the exit status of a bench).
int failures();

// A figure measured in several runs: the median decides, min and max are
// shown beside it.
bool figure_runs(const QString &name, const std::vector<double> &runs, const QString &unit,
                 const QString &target, const std::function<bool(double median)> &pass);
double median(std::vector<double> values);

// The machine a run was made on, so that runs on different machines can be
// compared: the CPU model, the load average now, and the rate at which two
// bare sockets drain the demo mix (the toolkit's limit here).
void machine_note();
double bare_drain_per_s(qint64 count = 50000);
// Send to received, in ms, of `count` datagrams of the demo mix sent at
// `rate` to two bare sockets that only note when each came: how late this
// machine alone delivers a datagram, the floor under the program's figure.
std::vector<double> bare_send_to_received_ms(double rate, qint64 count);
// The CPU of this process's main thread, in % of a core, while `count`
// datagrams of the demo mix come at `rate` to two bare sockets that only read
// them: what waking for each datagram costs on this machine, the floor under
// the program's CPU at the same rate.
double bare_cpu_pct(double rate, qint64 count);

// The datagrams of the demo race, in order: every packet kind.
QList<QByteArray> demo_mix();
// The demo mix with every datagram padded to exactly `size` bytes by a tag
// no screen reads.
QList<QByteArray> padded_mix(qsizetype size);

// The screens a datagram brings forward: its kinds flagged with "+".
std::vector<PacketKind> kinds_of(const QByteArray &datagram);

// The sequence number a sender appends to a datagram ("{bq}<n>" at its end,
// an extra tag that no screen reads); nullopt when there is none.
std::optional<quint32> sequence_of(QByteArrayView datagram);

// What a sender thread sends: `count` datagrams cycling through `mix`, each
// with its sequence number appended (unless `padded` says the mix already has
// its final size), alternating between the given loopback ports.
struct SendPlan {
  QList<QByteArray> mix;
  bool append_sequence = true;
  qint64 count = 0;
  std::vector<quint16> ports;
  double rate = 0;                              // datagrams per second; 0 = unpaced
  const std::atomic<qint64> *received = nullptr; // with window: closed loop
  qint64 window = 0;                            // at most this many unreceived
  std::vector<qint64> *send_times = nullptr;    // send time (ns) by sequence number
  double time_limit_s = 60;
  const std::atomic<bool> *go = nullptr;        // waits for it before sending
};

// Sends from its own thread with a plain socket to 127.0.0.1 only.
class Sender {
public:
  explicit Sender(SendPlan plan);
  ~Sender();
  void join();
  qint64 sent() const { return sent_.load(); }
  qint64 failed() const { return failed_.load(); }
  bool done() const { return done_.load(); }
  qint64 start_ns() const { return start_ns_.load(); }
  qint64 end_ns() const { return end_ns_.load(); }

private:
  void run();
  SendPlan plan_;
  std::atomic<qint64> sent_{0}, failed_{0}, start_ns_{0}, end_ns_{0};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// Sends `count` datagrams of `mix` with at most 2,000 of them unreceived and
// runs the event loop until `received` has counted them all (or the time
// limit has passed); returns the seconds from the first send to the last.
double send_closed_loop(const QList<QByteArray> &mix, qint64 count,
                        const std::vector<quint16> &ports, const std::atomic<qint64> &received,
                        double time_limit_s);

// Message boxes that never block: they are only counted.
class CountingDialogs final : public Dialogs {
public:
  void error(QWidget *, const QString &) override { ++boxes; }
  void information(QWidget *, const QString &) override { ++boxes; }
  bool confirm(QWidget *, const QString &) override { return ++boxes, true; }
  void plain(QWidget *, const QString &) override { ++boxes; }
  QString open_file(QWidget *, const QString &, const QString &, const QString &) override {
    return {};
  }
  int boxes = 0;
};

// The whole program in this process: the windows created as start-up does,
// in a fresh temporary working folder, the main window and every race screen
// shown, the two real listeners on ephemeral loopback-reachable ports. The
// listeners' handler is wrapped so that each handled datagram is counted.
class Program {
public:
  // Without `show`, only what start-up creates (nothing painted); with it,
  // every race window too, each shown.
  explicit Program(bool show = true);
  ~Program();
  CommentatorWindows &windows() { return *windows_; }
  quint16 port(int i) const;
  std::vector<quint16> ports() const { return {port(0), port(1)}; }
  // Race screens and the main window (the windows a datagram changes).
  QList<QWidget *> shown_windows() const;

  std::atomic<qint64> handled{0};
  qint64 last_handled_ns = 0;
  // Called after each datagram was handled (filtered, dispatched, logged).
  std::function<void(QByteArrayView datagram, qint64 applied_ns)> on_handled;

private:
  QTemporaryDir dir_;
  CountingDialogs dialogs_;
  AppState state_;
  std::unique_ptr<CommentatorWindows> windows_;
};

// Runs the event loop until counter reaches n, or timeout_ms passes, or the
// sender is done and nothing more arrived for idle_ms. True when n arrived.
bool run_until(const std::atomic<qint64> &counter, qint64 n, int timeout_ms, int idle_ms,
               const Sender *sender = nullptr);

// Counts repaints: for each top-level window, the time of every repaint pass
// (the update request that paints it) and the number of widget paint events.
class PaintCounter : public QObject {
public:
  PaintCounter();
  ~PaintCounter() override;
  void clear();
  const std::vector<qint64> &passes(QWidget *window) const;
  // The time of every update request the window was sent (held ones again
  // each time they come back): a change since its last repaint.
  const std::vector<qint64> &requests(QWidget *window) const;
  qint64 paint_events(QWidget *window) const;
  // Pixels the window's widgets were asked to paint (each paint event's
  // region, summed).
  qint64 painted_pixels(QWidget *window) const;
  // The widgets of a window that were sent the most paint events, most
  // first, each named by its class and its or its parent's name.
  std::vector<std::pair<QString, qint64>> busiest_widgets(QWidget *window, size_t most) const;
  // The most repaint passes of one window, from `from_ns` on, within any
  // span of a 60 Hz frame less the half millisecond the frame throttle's
  // timer may round off.
  int max_passes_per_frame(QWidget *window, qint64 from_ns) const;

  // Follows which of these windows a full-screen window activated after it
  // covers, as the program's frame pacer does: a covered window shows
  // nothing and paints only once it is uncovered.
  void track_covering(const QList<QWidget *> &windows);
  // The repaint of a change made to a window at `t`: its first repaint pass
  // from then on, timed from the change or, when the window was covered
  // meanwhile, from when it was last uncovered before that pass. No pass:
  // none yet, and whether the window is covered now.
  struct Repaint {
    std::optional<qint64> pass;
    qint64 from = 0;
    bool covered_now = false;
  };
  Repaint repaint_after(QWidget *window, qint64 t) const;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  std::map<QWidget *, std::vector<qint64>> passes_;
  std::map<QWidget *, std::vector<qint64>> requests_;
  std::map<QWidget *, qint64> paints_;
  std::map<QWidget *, qint64> pixels_;
  std::map<QWidget *, qint64> widget_paints_;
  std::map<QWidget *, bool> armed_;
  std::vector<qint64> none_;
  void update_covering();
  QList<QWidget *> tracked_;
  std::map<QWidget *, qint64> activated_;
  qint64 activations_ = 0;
  std::map<QWidget *, bool> covered_;
  // Each window's times of becoming uncovered.
  std::map<QWidget *, std::vector<qint64>> uncovered_at_;
};

// Percentile (0..100) of a list of values; 0 for an empty list.
double percentile(std::vector<double> values, double p);

// Resident memory of a process in bytes (0 when unreadable).
qint64 resident_bytes(qint64 pid = 0);
// Resident memory by what is mapped: shared libraries with the program's own
// file (code and data every run of it maps), font files with fontconfig's
// caches, and the process's own memory (the heap, anonymous mappings and
// stacks: what it allocated).
struct MappedMemory {
  qint64 libraries = 0;
  qint64 fonts = 0;
  qint64 own = 0;
};
// From the text of /proc/PID/smaps; `program` is the path of the executable.
MappedMemory mapped_memory_of(QByteArrayView smaps, QByteArrayView program);
MappedMemory mapped_memory(qint64 pid = 0);
// CPU time of a process (all its threads) in nanoseconds.
qint64 cpu_ns(qint64 pid = 0);
// CPU time of this process's main thread (the user-interface thread, where
// the program does all its work) in nanoseconds.
qint64 main_thread_cpu_ns();
// The load average over the last minute.
double load_average();

} // namespace bench
