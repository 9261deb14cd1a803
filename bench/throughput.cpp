// Throughput and bursts: a bare QUdpSocket drain (the baseline), then the
// whole program with every screen shown on the same mix over both ports;
// then an unpaced burst and a burst while the user-interface thread is busy.
// The rates and their ratio are the median of three runs.

#include "bench_support.h"

#include <QApplication>
#include <QHostAddress>
#include <QUdpSocket>
#include <QVariant>
#include <QWidget>

#include <thread>

using namespace bench;

namespace {

constexpr qint64 kCount = 100000;
constexpr qint64 kWindow = 2000; // datagrams in flight: well inside the receive buffers

constexpr int kRuns = 3;

struct Rate {
  qint64 received = 0;
  qint64 sent = 0;
  double per_second = 0;
  double seconds = 0;
};

// The toolkit's limit: two bare sockets drained until the read returns -1.
Rate baseline(const QList<QByteArray> &mix) {
  std::atomic<qint64> received{0};
  qint64 last_ns = 0;
  std::vector<std::unique_ptr<QUdpSocket>> sockets;
  std::vector<quint16> ports;
  for (int i = 0; i < 2; ++i) {
    auto s = std::make_unique<QUdpSocket>();
    if (!s->bind(QHostAddress::AnyIPv4, 0))
      qFatal("bind: %s", qPrintable(s->errorString()));
    s->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(4 << 20));
    QUdpSocket *raw = s.get();
    QObject::connect(raw, &QUdpSocket::readyRead, raw, [raw, &received, &last_ns] {
      char buf[1025];
      QHostAddress from;
      quint16 port;
      while (raw->readDatagram(buf, sizeof buf, &from, &port) >= 0) {
        received.fetch_add(1, std::memory_order_relaxed);
        last_ns = now_ns();
      }
    });
    ports.push_back(raw->localPort());
    sockets.push_back(std::move(s));
  }
  SendPlan plan;
  plan.mix = mix;
  plan.count = kCount;
  plan.ports = ports;
  plan.received = &received;
  plan.window = kWindow;
  plan.time_limit_s = 30;
  Sender sender(plan);
  run_until(received, kCount, 40000, 1000, &sender);
  sender.join();
  Rate r;
  r.received = received.load();
  r.sent = sender.sent();
  r.per_second = r.received / (double(last_ns - sender.start_ns()) / 1e9);
  return r;
}

// The whole program with every screen shown, on the same mix.
Rate program_run(Program &program, const QList<QByteArray> &mix) {
  std::atomic<qint64> handled{0};
  qint64 last_ns = 0;
  program.on_handled = [&](QByteArrayView, qint64 t) {
    handled.fetch_add(1, std::memory_order_relaxed);
    last_ns = t;
  };
  SendPlan plan;
  plan.mix = mix;
  plan.count = kCount;
  plan.ports = program.ports();
  plan.received = &handled;
  plan.window = kWindow;
  plan.time_limit_s = 20; // a slow program is measured on fewer datagrams
  Sender sender(plan);
  run_until(handled, kCount, 30000, 1000, &sender);
  sender.join();
  program.on_handled = nullptr;
  Rate r;
  r.received = handled.load();
  r.sent = sender.sent();
  r.seconds = double(last_ns - sender.start_ns()) / 1e9;
  r.per_second = r.seconds > 0 ? double(r.received) / r.seconds : 0;
  return r;
}

} // namespace

int main(int argc, char **argv) {
  use_offscreen_platform();
  QApplication app(argc, argv);
  const QList<QByteArray> mix = demo_mix();
  note(QStringLiteral("bench_throughput: %1 datagrams of the demo race mix (%2 kinds of "
                      "datagram), both ports, at most %3 in flight")
           .arg(kCount)
           .arg(mix.size())
           .arg(kWindow));

  machine_note();
  // Each run drains the bare sockets, then the program, so that the ratio
  // compares two rates taken moments apart.
  Program program;
  PaintCounter paints;
  const qint64 paint_from = now_ns();
  std::vector<double> base_rates, prog_rates, ratios;
  qint64 base_lost = 0, prog_lost = 0, prog_received = 0;
  bool all_sent = true;
  double wall_s = 0, cpu_s = 0;
  for (int r = 0; r < kRuns; ++r) {
    const Rate base = baseline(mix);
    base_rates.push_back(base.per_second);
    base_lost += base.sent - base.received;
    const qint64 cpu_from = main_thread_cpu_ns();
    const Rate prog = program_run(program, mix);
    cpu_s += double(main_thread_cpu_ns() - cpu_from) / 1e9;
    wall_s += prog.seconds;
    prog_rates.push_back(prog.per_second);
    prog_lost += prog.sent - prog.received;
    prog_received += prog.received;
    all_sent = all_sent && prog.sent == kCount;
    ratios.push_back(base.per_second > 0 ? prog.per_second / base.per_second : 0);
  }
  figure_runs("throughput.baseline_qudpsocket", base_rates, "datagrams/s", "(reference)",
              [](double) { return true; });
  figure("throughput.baseline_lost", double(base_lost), "datagrams", "0", base_lost == 0);
  // CPU time is what the program spends whoever else shares the machine:
  // it tells a slower program from a busy machine.
  if (prog_received > 0 && wall_s > 0)
    note(QStringLiteral("user-interface thread: %1 us of CPU per datagram, busy %2 % of the "
                        "time; load average %3")
             .arg(cpu_s * 1e6 / double(prog_received), 0, 'f', 2)
             .arg(100 * cpu_s / wall_s, 0, 'f', 0)
             .arg(load_average(), 0, 'f', 2));
  figure_runs("throughput.program", prog_rates, "datagrams/s", ">= 100000",
              [](double m) { return m >= 100000; });
  figure_runs("throughput.ratio", ratios, "", ">= 0.3", [](double m) { return m >= 0.3; });
  figure("throughput.program_lost", double(prog_lost), "datagrams", "0", prog_lost == 0 && all_sent);
  int most = 0;
  QString busiest;
  for (QWidget *w : program.shown_windows()) {
    const int n = paints.max_passes_per_frame(w, paint_from);
    if (n > most) {
      most = n;
      busiest = w->windowTitle();
    }
  }
  figure("throughput.repaints_per_window_frame", most, "max", "<= 1", most <= 1);
  if (most > 1)
    note(QStringLiteral("busiest window: \"%1\"").arg(busiest));

  // Bursts on the same program.
  {
    const qint64 before = program.handled.load();
    std::atomic<qint64> handled_here{0};
    program.on_handled = [&](QByteArrayView, qint64) { handled_here.fetch_add(1); };
    SendPlan burst;
    burst.mix = mix;
    burst.count = 20000;
    burst.ports = program.ports();
    Sender sender(burst);
    run_until(handled_here, burst.count, 20000, 1000, &sender);
    sender.join();
    const double ms = double(sender.end_ns() - sender.start_ns()) / 1e6;
    note(QStringLiteral("burst of 20000 sent unpaced in %1 ms").arg(ms, 0, 'f', 1));
    figure("burst.20000_unpaced_lost", double(burst.count - handled_here.load()), "datagrams",
           "0", handled_here.load() == burst.count && sender.sent() == burst.count);
    (void)before;
  }
  {
    std::atomic<qint64> handled_here{0};
    program.on_handled = [&](QByteArrayView, qint64) { handled_here.fetch_add(1); };
    std::atomic<bool> go{false};
    SendPlan burst;
    burst.mix = padded_mix(1024);
    burst.append_sequence = false;
    burst.count = 1000;
    burst.ports = program.ports();
    burst.go = &go;
    Sender sender(burst);
    go = true;
    // The user-interface thread is busy for 50 ms while the burst arrives.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const bool sent_while_blocked = sender.done();
    run_until(handled_here, burst.count, 20000, 1000, &sender);
    sender.join();
    note(QStringLiteral("1000 datagrams of 1024 bytes sent in %1 ms, %2 while blocked")
             .arg(double(sender.end_ns() - sender.start_ns()) / 1e6, 0, 'f', 1)
             .arg(sent_while_blocked ? "all" : "not all"));
    figure("burst.1000x1024_blocked_50ms_lost", double(burst.count - handled_here.load()),
           "datagrams", "0", handled_here.load() == burst.count && sender.sent() == burst.count);
  }
  program.on_handled = nullptr;
  return failures() ? 1 : 0;
}
