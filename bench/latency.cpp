// Latency at a steady 5,000 datagrams/s into the whole program: from the
// send to the datagram applied (handled by the main window), from applied to
// the repaint of the windows it changed, and how often each window repaints;
// each figure the median of three runs, each run beside how late bare
// sockets receive the same datagrams.

#include "bench_support.h"

#include "app/main_window.h"
#include "protocol/dispatcher.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>

using namespace bench;

namespace {

constexpr double kRate = 5000;
constexpr qint64 kCount = 15000; // three seconds
constexpr int kRuns = 3;

struct Run {
  double bare_p99 = 0;
  double p50 = 0, p99 = 0;
  qint64 lost = 0;
  double paint_p99 = 0, paint_max = 0;
  qint64 never_painted = 0, held_covered = 0;
  double seconds = 0; // the program's part of the run
};

Run measure(Program &program, PaintCounter &paints, const QList<QByteArray> &mix) {
  Run run;
  // The floor: how late this machine delivers datagrams at this rate to
  // sockets that do nothing else.
  const std::vector<double> bare = bare_send_to_received_ms(kRate, kCount);
  run.bare_p99 = percentile(bare, 99);
  note(QStringLiteral("bare sockets: send to received p50 %1, p99 %2, p99.9 %3, max %4 ms")
           .arg(percentile(bare, 50), 0, 'f', 3)
           .arg(run.bare_p99, 0, 'f', 3)
           .arg(percentile(bare, 99.9), 0, 'f', 3)
           .arg(percentile(bare, 100), 0, 'f', 3));

  std::vector<qint64> sent_at(kCount, 0), applied_at(kCount, 0);
  std::atomic<qint64> handled{0};
  program.on_handled = [&](QByteArrayView datagram, qint64 t) {
    handled.fetch_add(1, std::memory_order_relaxed);
    const std::optional<quint32> seq = sequence_of(datagram);
    if (seq && *seq < applied_at.size())
      applied_at[*seq] = t;
  };
  SendPlan plan;
  plan.mix = mix;
  plan.count = kCount;
  plan.ports = program.ports();
  plan.rate = kRate;
  plan.send_times = &sent_at;
  plan.time_limit_s = 20;
  const qint64 from = now_ns();
  Sender sender(plan);
  run_until(handled, kCount, 30000, 1000, &sender);
  sender.join();
  // Let the last repaints happen.
  run_until(handled, kCount + 1, 100, 50);
  program.on_handled = nullptr;
  run.seconds = double(now_ns() - from) / 1e9;

  std::vector<double> send_to_applied;
  for (qint64 i = 0; i < kCount; ++i)
    if (applied_at[i] && sent_at[i])
      send_to_applied.push_back(double(applied_at[i] - sent_at[i]) / 1e6);
  run.lost = kCount - qint64(send_to_applied.size());
  run.p50 = percentile(send_to_applied, 50);
  run.p99 = percentile(send_to_applied, 99);

  // Applied to painted: the first repaint of each window the datagram
  // changed (its screens and the main window's log) after it was applied.
  std::vector<double> to_painted;
  for (qint64 i = 0; i < kCount; ++i) {
    if (!applied_at[i])
      continue;
    std::vector<QWidget *> changed{&program.windows().main_window()};
    for (PacketKind k : kinds_of(mix.at(i % mix.size())))
      changed.push_back(program.windows().screen(k));
    for (QWidget *w : changed) {
      // A window covered meanwhile paints once it is uncovered.
      const PaintCounter::Repaint r = paints.repaint_after(w, applied_at[i]);
      if (r.pass)
        to_painted.push_back(double(*r.pass - r.from) / 1e6);
      else
        ++(r.covered_now ? run.held_covered : run.never_painted);
    }
  }
  run.paint_p99 = percentile(to_painted, 99);
  run.paint_max = percentile(to_painted, 100);
  note(QStringLiteral("run: send to applied p99 %1 ms, applied to painted p99 %2 max %3 ms")
           .arg(run.p99, 0, 'f', 3)
           .arg(run.paint_p99, 0, 'f', 3)
           .arg(run.paint_max, 0, 'f', 3));
  return run;
}

} // namespace

int main(int argc, char **argv) {
  use_offscreen_platform();
  QApplication app(argc, argv);
  const QList<QByteArray> mix = demo_mix();
  note(QStringLiteral("bench_latency: %1 datagrams of the demo race mix at %2/s over both "
                      "ports, %3 runs")
           .arg(kCount)
           .arg(kRate)
           .arg(kRuns));

  machine_note();
  Program program;
  PaintCounter paints;
  paints.track_covering(program.shown_windows());
  const qint64 from = now_ns();
  std::vector<Run> runs;
  for (int r = 0; r < kRuns; ++r)
    runs.push_back(measure(program, paints, mix));

  const auto each = [&](double Run::*field) {
    std::vector<double> v;
    for (const Run &r : runs)
      v.push_back(r.*field);
    return v;
  };
  qint64 lost = 0, never_painted = 0, held_covered = 0;
  double seconds = 0;
  for (const Run &r : runs) {
    seconds += r.seconds;
    lost += r.lost;
    never_painted += r.never_painted;
    held_covered += r.held_covered;
  }
  figure_runs("latency.baseline_send_to_received_p99", each(&Run::bare_p99), "ms", "(reference)",
              [](double) { return true; });
  figure_runs("latency.send_to_applied_p50", each(&Run::p50), "ms", "<= 0.2",
              [](double m) { return m <= 0.2; });
  figure_runs("latency.send_to_applied_p99", each(&Run::p99), "ms", "<= 1",
              [](double m) { return m <= 1; });
  figure("latency.lost", double(lost), "datagrams", "0", lost == 0);
  figure_runs("latency.applied_to_painted_p99", each(&Run::paint_p99), "ms", "<= 17",
              [](double m) { return m <= 17; });
  // A change made just after its window painted waits that window's whole
  // frame, and then maybe one other window's paint: two frames at most, as
  // at the real rate.
  figure_runs("latency.applied_to_painted_max", each(&Run::paint_max), "ms", "<= 33",
              [&](double m) { return m <= 33 && never_painted == 0; });
  if (never_painted)
    note(QStringLiteral("%1 changes never painted").arg(never_painted));
  if (held_covered)
    note(QStringLiteral("%1 changes to a window still covered at the end").arg(held_covered));

  int most = 0;
  QString busiest;
  for (QWidget *w : program.shown_windows()) {
    const int n = paints.max_passes_per_frame(w, from);
    note(QStringLiteral("window \"%1\": %2 repaints/s, %3 widget paint events, at most %4 "
                        "repaints in one frame")
             .arg(w->windowTitle())
             .arg(double(paints.passes(w).size()) / seconds, 0, 'f', 0)
             .arg(paints.paint_events(w))
             .arg(n));
    if (n > most) {
      most = n;
      busiest = w->windowTitle();
    }
  }
  figure("latency.repaints_per_window_frame", most, "max", "<= 1", most <= 1);
  return failures() ? 1 : 0;
}
