#include "bench_support.h"

#include "app/main_window.h"
#include "protocol/dispatcher.h"
#include "tap/capture.h"
#include "toolkit/covered_stores.h"
#include "toolkit/seams.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QPaintEvent>
#include <QFile>
#include <QHostAddress>
#include <QUdpSocket>
#include <QVariant>
#include <QTimer>
#include <QWidget>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace bench {

namespace {
int g_failures = 0;
}

namespace {
// The offscreen platform warns on every raise() of a window: a line on
// standard error per datagram that a real display does not cost.
void quiet_platform_warnings(QtMsgType type, const QMessageLogContext &, const QString &text) {
  if (text.startsWith(QLatin1String("This plugin does not support")))
    return;
  std::fprintf(stderr, "%s%s\n", type == QtWarningMsg ? "warning: " : "", qPrintable(text));
}
} // namespace

void use_offscreen_platform() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(quiet_platform_warnings);
}

bool figure(const QString &name, double value, const QString &unit, const QString &target,
            bool pass) {
  const QString v = std::fabs(value) >= 1000 || value == std::floor(value)
                        ? QString::number(value, 'f', 0)
                        : QString::number(value, 'f', 3);
  std::printf("%-36s %14s %-12s target %-16s %s\n", qPrintable(name), qPrintable(v),
              qPrintable(unit), qPrintable(target), pass ? "PASS" : "FAIL");
  std::fflush(stdout);
  if (!pass)
    ++g_failures;
  return pass;
}

void skipped(const QString &name, const QString &reason) {
  std::printf("%-36s %14s %-12s %s\n", qPrintable(name), "-", "", qPrintable("SKIP: " + reason));
  std::fflush(stdout);
}

void note(const QString &text) {
  std::printf("# %s\n", qPrintable(text));
  std::fflush(stdout);
}

int failures() { return g_failures; }

double median(std::vector<double> values) { return percentile(std::move(values), 50); }

bool figure_runs(const QString &name, const std::vector<double> &runs, const QString &unit,
                 const QString &target, const std::function<bool(double)> &pass) {
  const double m = median(runs);
  QString spread = QStringLiteral("%1 runs").arg(runs.size());
  if (!runs.empty())
    spread = QStringLiteral("min %1 max %2 of %3")
                 .arg(*std::min_element(runs.begin(), runs.end()), 0, 'f', 3)
                 .arg(*std::max_element(runs.begin(), runs.end()), 0, 'f', 3)
                 .arg(runs.size());
  const bool ok = !runs.empty() && pass(m);
  figure(name, m, unit, target, ok);
  note(QStringLiteral("  %1: median of runs, %2").arg(name, spread));
  return ok;
}

namespace {
QString cpu_model() {
  QFile f(QStringLiteral("/proc/cpuinfo"));
  if (!f.open(QIODevice::ReadOnly))
    return QStringLiteral("unknown");
  for (const QByteArray &line : f.readAll().split('\n'))
    if (line.startsWith("model name"))
      return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
  return QStringLiteral("unknown");
}
} // namespace

double load_average() {
  QFile f(QStringLiteral("/proc/loadavg"));
  if (!f.open(QIODevice::ReadOnly))
    return -1;
  return f.readAll().split(' ').value(0).toDouble();
}

namespace {

// Two sockets on ephemeral ports of 127.0.0.1's machine, each reading all
// that waits with `read` when it reports an arrival; empty when one cannot
// bind.
struct BareSockets {
  std::vector<std::unique_ptr<QUdpSocket>> sockets;
  std::vector<quint16> ports;
};

BareSockets bare_sockets(const std::function<void(QUdpSocket &)> &read) {
  BareSockets bare;
  for (int i = 0; i < 2; ++i) {
    auto s = std::make_unique<QUdpSocket>();
    if (!s->bind(QHostAddress::AnyIPv4, 0))
      return {};
    s->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(4 << 20));
    QUdpSocket *raw = s.get();
    QObject::connect(raw, &QUdpSocket::readyRead, raw, [raw, read] { read(*raw); });
    bare.ports.push_back(raw->localPort());
    bare.sockets.push_back(std::move(s));
  }
  return bare;
}

} // namespace

double bare_drain_per_s(qint64 count) {
  std::atomic<qint64> received{0};
  const BareSockets bare = bare_sockets([&received](QUdpSocket &s) {
    char buf[1025];
    while (s.readDatagram(buf, sizeof buf) >= 0)
      received.fetch_add(1, std::memory_order_relaxed);
  });
  if (bare.ports.empty())
    return 0;
  const double secs = send_closed_loop(demo_mix(), count, bare.ports, received, 20);
  return secs > 0 ? double(received.load()) / secs : 0;
}

std::vector<double> bare_send_to_received_ms(double rate, qint64 count) {
  std::vector<qint64> sent(size_t(count), 0), received_at(size_t(count), 0);
  std::atomic<qint64> received{0};
  const BareSockets bare = bare_sockets([&received, &received_at](QUdpSocket &s) {
    char buf[1025];
    qint64 n;
    while ((n = s.readDatagram(buf, sizeof buf)) >= 0) {
      const std::optional<quint32> seq = sequence_of(QByteArrayView(buf, n));
      if (seq && *seq < received_at.size())
        received_at[*seq] = now_ns();
      received.fetch_add(1, std::memory_order_relaxed);
    }
  });
  if (bare.ports.empty())
    return {};
  SendPlan plan;
  plan.mix = demo_mix();
  plan.count = count;
  plan.ports = bare.ports;
  plan.rate = rate;
  plan.send_times = &sent;
  plan.time_limit_s = double(count) / rate + 10;
  Sender sender(plan);
  run_until(received, count, int(plan.time_limit_s * 1000) + 5000, 1000, &sender);
  sender.join();
  std::vector<double> ms;
  for (size_t i = 0; i < size_t(count); ++i)
    if (sent[i] && received_at[i])
      ms.push_back(double(received_at[i] - sent[i]) / 1e6);
  return ms;
}

double bare_cpu_pct(double rate, qint64 count) {
  std::atomic<qint64> received{0};
  QEventLoop loop;
  // Stops from the read itself: a polling timer would wake this thread
  // more often than the datagrams do.
  const BareSockets bare = bare_sockets([&received, &loop, count](QUdpSocket &s) {
    char buf[1025];
    while (s.readDatagram(buf, sizeof buf) >= 0)
      if (received.fetch_add(1, std::memory_order_relaxed) + 1 >= count)
        loop.quit();
  });
  if (bare.ports.empty())
    return 0;
  SendPlan plan;
  plan.mix = demo_mix();
  plan.count = count;
  plan.ports = bare.ports;
  plan.rate = rate;
  plan.time_limit_s = double(count) / rate + 10;
  // Datagrams lost on the way end the wait here instead.
  QTimer::singleShot(int(plan.time_limit_s * 1000) + 1000, &loop, &QEventLoop::quit);
  const qint64 cpu0 = main_thread_cpu_ns(), w0 = now_ns();
  Sender sender(plan);
  loop.exec();
  const qint64 cpu = main_thread_cpu_ns() - cpu0, wall = now_ns() - w0;
  sender.join();
  return wall > 0 ? 100.0 * double(cpu) / double(wall) : 0;
}

double send_closed_loop(const QList<QByteArray> &mix, qint64 count,
                        const std::vector<quint16> &ports, const std::atomic<qint64> &received,
                        double time_limit_s) {
  SendPlan plan;
  plan.mix = mix;
  plan.count = count;
  plan.ports = ports;
  plan.received = &received;
  plan.window = 2000;
  plan.time_limit_s = time_limit_s;
  Sender sender(plan);
  run_until(received, count, int(time_limit_s * 1000) + 5000, 1000, &sender);
  sender.join();
  return double(sender.end_ns() - sender.start_ns()) / 1e9;
}

void machine_note() {
  const double drain = bare_drain_per_s();
  note(QStringLiteral("machine: CPU \"%1\", %2 cores online, load average %3, bare drain %4/s")
           .arg(cpu_model())
           .arg(sysconf(_SC_NPROCESSORS_ONLN))
           .arg(load_average(), 0, 'f', 2)
           .arg(drain, 0, 'f', 0));
}

QList<QByteArray> demo_mix() {
  QFile f(QStringLiteral(DEMO_RACE));
  if (!f.open(QIODevice::ReadOnly))
    qFatal("cannot read %s", DEMO_RACE);
  const tap::CaptureParse capture = tap::parse_capture(f.readAll());
  if (!capture.ok())
    qFatal("%s line %d: %s", DEMO_RACE, capture.error_line, qPrintable(capture.error));
  QList<QByteArray> mix;
  for (const tap::CaptureRecord &r : capture.records)
    mix.append(r.payload);
  return mix;
}

QList<QByteArray> padded_mix(qsizetype size) {
  QList<QByteArray> out;
  for (QByteArray p : demo_mix()) {
    p.append("{bpad}");
    if (p.size() < size)
      p.append(QByteArray(size - p.size(), 'x'));
    out.append(p.left(size));
  }
  return out;
}

std::vector<PacketKind> kinds_of(const QByteArray &datagram) {
  static const std::pair<const char *, PacketKind> tags[] = {
      {"{scratch}+", PacketKind::scratch}, {"{reradu}+", PacketKind::reradu},
      {"{omnium}+", PacketKind::omnium},   {"{sprintf}+", PacketKind::sprint},
      {"{ptsrace}+", PacketKind::points_race}, {"{tt}+", PacketKind::time_trial}};
  std::vector<PacketKind> out;
  for (const auto &[tag, kind] : tags)
    if (datagram.contains(tag))
      out.push_back(kind);
  return out;
}

std::optional<quint32> sequence_of(QByteArrayView datagram) {
  const qsizetype at = datagram.lastIndexOf(QByteArrayView("{bq}"));
  if (at < 0)
    return std::nullopt;
  quint32 n = 0;
  for (char c : datagram.sliced(at + 4)) {
    if (c < '0' || c > '9')
      return std::nullopt;
    n = n * 10 + quint32(c - '0');
  }
  return n;
}

Sender::Sender(SendPlan plan) : plan_(std::move(plan)), thread_([this] { run(); }) {}

Sender::~Sender() { join(); }

void Sender::join() {
  if (thread_.joinable())
    thread_.join();
}

void Sender::run() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) {
    done_ = true;
    return;
  }
  int sndbuf = 4 << 20;
  ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof sndbuf);
  std::vector<sockaddr_in> to;
  for (quint16 port : plan_.ports) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK); // loopback only, never a broadcast
    to.push_back(a);
  }
  while (plan_.go && !plan_.go->load())
    std::this_thread::yield();
  const qint64 start = now_ns();
  start_ns_ = start;
  const qint64 limit = start + qint64(plan_.time_limit_s * 1e9);
  char buf[1100];
  for (qint64 i = 0; i < plan_.count && !to.empty(); ++i) {
    if (plan_.rate > 0) {
      const qint64 due = start + qint64(double(i) * 1e9 / plan_.rate);
      while (now_ns() < due) {
        if (due - now_ns() > 200000)
          std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
    }
    if (plan_.received && plan_.window > 0) {
      while (i - plan_.received->load(std::memory_order_relaxed) >= plan_.window &&
             now_ns() < limit)
        std::this_thread::yield();
    }
    if (now_ns() >= limit)
      break;
    const QByteArray &p = plan_.mix.at(i % plan_.mix.size());
    size_t n = size_t(std::min<qsizetype>(p.size(), 1024));
    std::memcpy(buf, p.constData(), n);
    if (plan_.append_sequence)
      n += size_t(std::snprintf(buf + n, sizeof buf - n, "{bq}%lld", static_cast<long long>(i)));
    if (plan_.send_times && size_t(i) < plan_.send_times->size())
      (*plan_.send_times)[size_t(i)] = now_ns();
    const sockaddr_in &a = to[size_t(i) % to.size()];
    if (::sendto(fd, buf, n, 0, reinterpret_cast<const sockaddr *>(&a), sizeof a) ==
        ssize_t(n))
      sent_.fetch_add(1, std::memory_order_relaxed);
    else
      failed_.fetch_add(1, std::memory_order_relaxed);
  }
  end_ns_ = now_ns();
  ::close(fd);
  done_ = true;
}

Program::Program(bool show) {
  state_.seams.data_folder = DataFolder{dir_.path()};
  state_.seams.dialogs = &dialogs_;
  state_.seams.process_events = [] { QCoreApplication::processEvents(); };
  state_.seams.serial_device = default_serial_device;
  state_.ports = {0, 0};
  windows_ = std::make_unique<CommentatorWindows>(state_);
  Tcommentator0_form &main = windows_->main_window();
  main.receiver().set_handler([this, &main](QByteArrayView datagram, QByteArrayView sender,
                                             int listener) {
    main.handle_datagram(datagram, sender, listener);
    last_handled_ns = now_ns();
    handled.fetch_add(1, std::memory_order_relaxed);
    if (on_handled)
      on_handled(datagram, last_handled_ns);
  });
  if (!show)
    return;
  main.show();
  for (QWidget *w : shown_windows())
    w->show();
  // Let the first paints happen before anything is measured.
  QEventLoop loop;
  QTimer::singleShot(200, &loop, &QEventLoop::quit);
  loop.exec();
}

Program::~Program() {
  windows_.reset();
}

quint16 Program::port(int i) const { return windows_->main_window().receiver().local_port(i); }

QList<QWidget *> Program::shown_windows() const {
  QList<QWidget *> out{&windows_->main_window()};
  for (PacketKind k : {PacketKind::scratch, PacketKind::reradu, PacketKind::omnium,
                       PacketKind::sprint, PacketKind::points_race, PacketKind::time_trial})
    out.append(windows_->screen(k));
  return out;
}

bool run_until(const std::atomic<qint64> &counter, qint64 n, int timeout_ms, int idle_ms,
               const Sender *sender) {
  const qint64 deadline = now_ns() + qint64(timeout_ms) * 1000000;
  qint64 last_count = counter.load();
  qint64 last_change = now_ns();
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    const qint64 c = counter.load();
    const qint64 t = now_ns();
    if (c != last_count) {
      last_count = c;
      last_change = t;
    }
    const bool sending = sender && !sender->done();
    if (c >= n || t >= deadline || (!sending && t - last_change > qint64(idle_ms) * 1000000))
      loop.quit();
  });
  poll.start();
  if (counter.load() < n)
    loop.exec();
  return counter.load() >= n;
}

PaintCounter::PaintCounter() { QCoreApplication::instance()->installEventFilter(this); }

PaintCounter::~PaintCounter() {
  if (QCoreApplication::instance())
    QCoreApplication::instance()->removeEventFilter(this);
}

void PaintCounter::clear() {
  passes_.clear();
  requests_.clear();
  armed_.clear();
  paints_.clear();
  pixels_.clear();
  widget_paints_.clear();
}

void PaintCounter::track_covering(const QList<QWidget *> &windows) {
  tracked_ = windows;
  update_covering();
}

void PaintCounter::update_covering() {
  std::vector<StackedWindow> stack;
  for (QWidget *w : tracked_)
    stack.push_back({w, activated_[w]});
  const qint64 now = now_ns();
  for (QWidget *w : tracked_) {
    const bool covered = covered_by_later({w, activated_[w]}, stack);
    bool &was = covered_[w];
    if (was && !covered)
      uncovered_at_[w].push_back(now);
    was = covered;
  }
}

PaintCounter::Repaint PaintCounter::repaint_after(QWidget *window, qint64 t) const {
  Repaint r;
  r.from = t;
  const std::vector<qint64> &p = passes(window);
  auto pass = std::lower_bound(p.begin(), p.end(), t);
  if (pass == p.end()) {
    auto c = covered_.find(window);
    r.covered_now = c != covered_.end() && c->second;
    return r;
  }
  r.pass = *pass;
  auto u = uncovered_at_.find(window);
  if (u == uncovered_at_.end())
    return r;
  auto after = std::upper_bound(u->second.begin(), u->second.end(), *pass);
  if (after != u->second.begin())
    r.from = std::max(t, *(after - 1));
  return r;
}

bool PaintCounter::eventFilter(QObject *watched, QEvent *event) {
  const QEvent::Type t = event->type();
  switch (t) {
  case QEvent::WindowActivate:
  case QEvent::ZOrderChange:
  case QEvent::Show:
  case QEvent::Hide:
  case QEvent::Move:
  case QEvent::Resize:
  case QEvent::WindowStateChange:
    if (!watched->isWidgetType() || !tracked_.contains(static_cast<QWidget *>(watched)))
      return false;
    if (t == QEvent::WindowActivate || t == QEvent::ZOrderChange)
      activated_[static_cast<QWidget *>(watched)] = ++activations_;
    update_covering();
    return false;
  default:
    break;
  }
  if (t != QEvent::UpdateRequest && t != QEvent::Paint)
    return false;
  if (!watched->isWidgetType())
    return false;
  auto *w = static_cast<QWidget *>(watched);
  // A repaint pass is an update request that paints: requests the program
  // holds back paint nothing, so the pass is counted at its first paint.
  if (t == QEvent::UpdateRequest) {
    if (w->isWindow()) {
      armed_[w] = true;
      requests_[w].push_back(now_ns());
    }
    return false;
  }
  QWidget *window = w->window();
  ++paints_[window];
  ++widget_paints_[w];
  for (const QRect &r : static_cast<QPaintEvent *>(event)->region())
    pixels_[window] += qint64(r.width()) * r.height();
  if (armed_[window]) {
    armed_[window] = false;
    passes_[window].push_back(now_ns());
  }
  return false;
}

const std::vector<qint64> &PaintCounter::passes(QWidget *window) const {
  auto it = passes_.find(window);
  return it == passes_.end() ? none_ : it->second;
}

const std::vector<qint64> &PaintCounter::requests(QWidget *window) const {
  auto it = requests_.find(window);
  return it == requests_.end() ? none_ : it->second;
}

qint64 PaintCounter::painted_pixels(QWidget *window) const {
  auto it = pixels_.find(window);
  return it == pixels_.end() ? 0 : it->second;
}

qint64 PaintCounter::paint_events(QWidget *window) const {
  auto it = paints_.find(window);
  return it == paints_.end() ? 0 : it->second;
}

namespace {

// A widget's class and those of its parents up to the first that has a
// name of the program's own.
QString widget_name(const QWidget *w) {
  QStringList chain;
  for (const QWidget *named = w; named && !named->isWindow(); named = named->parentWidget()) {
    chain.append(QString::fromLatin1(named->metaObject()->className()));
    QString n = named->accessibleName();
    if (n.isEmpty() && !named->objectName().startsWith(QLatin1String("qt_")))
      n = named->objectName();
    if (!n.isEmpty()) {
      chain.last() += QStringLiteral(" \"%1\"").arg(n.left(40));
      break;
    }
  }
  return chain.isEmpty() ? QStringLiteral("the window") : chain.join(QLatin1String(" < "));
}

} // namespace

std::vector<std::pair<QString, qint64>> PaintCounter::busiest_widgets(QWidget *window,
                                                                      size_t most) const {
  std::vector<std::pair<QString, qint64>> out;
  for (const auto &[w, n] : widget_paints_)
    if (w->window() == window)
      out.emplace_back(widget_name(w), n);
  std::sort(out.begin(), out.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
  if (out.size() > most)
    out.resize(most);
  return out;
}

int PaintCounter::max_passes_per_frame(QWidget *window, qint64 from_ns) const {
  constexpr qint64 span = 16666667 - 500000;
  const std::vector<qint64> &p = passes(window);
  auto first = std::lower_bound(p.begin(), p.end(), from_ns);
  int most = 0;
  for (auto it = first, start = first; it != p.end(); ++it) {
    while (*it - *start >= span)
      ++start;
    most = std::max(most, int(it - start) + 1);
  }
  return most;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  const size_t i = std::min(values.size() - 1, size_t(std::ceil(p / 100 * values.size())) - 1);
  return values[p <= 0 ? 0 : i];
}

namespace {
QString proc_path(qint64 pid, const char *leaf) {
  return pid ? QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(leaf))
             : QStringLiteral("/proc/self/%1").arg(QLatin1String(leaf));
}
} // namespace

qint64 resident_bytes(qint64 pid) {
  QFile f(proc_path(pid, "status"));
  if (!f.open(QIODevice::ReadOnly))
    return 0;
  for (const QByteArray &line : f.readAll().split('\n')) {
    if (line.startsWith("VmRSS:"))
      return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
  }
  return 0;
}

namespace {

enum class Mapped { other, library, font, own };

Mapped kind_of_mapping(QByteArrayView path, QByteArrayView program) {
  if (path.isEmpty() || path == "[heap]" || path == "[stack]" || path.startsWith("[anon"))
    return Mapped::own;
  if (path.startsWith('['))
    return Mapped::other;
  if (path.contains("/fonts/") || path.contains("/fontconfig/"))
    return Mapped::font;
  for (const char *end : {".ttf", ".otf", ".ttc", ".pcf", ".pcf.gz", ".pfb"})
    if (path.endsWith(end))
      return Mapped::font;
  if (path == program || path.endsWith(".so") || path.contains(".so."))
    return Mapped::library;
  return Mapped::other;
}

} // namespace

MappedMemory mapped_memory_of(QByteArrayView smaps, QByteArrayView program) {
  MappedMemory out;
  Mapped kind = Mapped::other;
  for (const QByteArray &line : QByteArray::fromRawData(smaps.data(), smaps.size()).split('\n')) {
    // A mapping's header: "start-end perms offset dev inode   path"; its
    // fields follow as "Name:   value kB".
    const qsizetype colon = line.indexOf(':');
    const qsizetype space = line.indexOf(' ');
    if (space > 0 && (colon < 0 || colon > space) && line.left(space).contains('-')) {
      qsizetype at = space;
      for (int field = 0; field < 4 && at >= 0; ++field) {
        while (at < line.size() && line[at] == ' ')
          ++at;
        at = line.indexOf(' ', at);
      }
      const QByteArrayView path = at < 0 ? QByteArrayView() : line.mid(at).trimmed();
      kind = kind_of_mapping(path, program);
      continue;
    }
    if (kind == Mapped::other || !line.startsWith("Rss:"))
      continue;
    const qint64 bytes = line.mid(4).trimmed().split(' ').value(0).toLongLong() * 1024;
    (kind == Mapped::library ? out.libraries : kind == Mapped::font ? out.fonts : out.own) += bytes;
  }
  return out;
}

MappedMemory mapped_memory(qint64 pid) {
  QFile f(proc_path(pid, "smaps"));
  if (!f.open(QIODevice::ReadOnly))
    return {};
  const QByteArray program = QFile::symLinkTarget(proc_path(pid, "exe")).toUtf8();
  return mapped_memory_of(f.readAll(), program);
}

qint64 main_thread_cpu_ns() {
  QFile f(QStringLiteral("/proc/self/task/%1/schedstat").arg(getpid()));
  if (f.open(QIODevice::ReadOnly))
    return f.readAll().split(' ').value(0).toLongLong();
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts); // called from the main thread
  return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

qint64 cpu_ns(qint64 pid) {
  // Every thread's run time in nanoseconds (schedstat), summed.
  QDir tasks(proc_path(pid, "task"));
  qint64 sum = 0;
  bool any = false;
  for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    QFile f(tasks.filePath(tid + QStringLiteral("/schedstat")));
    if (!f.open(QIODevice::ReadOnly))
      continue;
    sum += f.readAll().split(' ').value(0).toLongLong();
    any = true;
  }
  if (any)
    return sum;
  // Without schedstat: user + system clock ticks.
  QFile f(proc_path(pid, "stat"));
  if (!f.open(QIODevice::ReadOnly))
    return 0;
  const QByteArray s = f.readAll();
  const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
  const qint64 ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong();
  return ticks * 1000000000 / sysconf(_SC_CLK_TCK);
}

} // namespace bench
