// Where the program's resident memory goes: the same process started four
// times, each a step further (a bare application on the same platform, the
// program's fonts drawn once, the windows start-up creates, every screen
// shown and painted), its resident memory read at the end of each; the differences are
// the parts. Each step also splits its resident memory by kind: the shared
// libraries' pages (code every Qt program maps), font files, and the
// process's own memory: what malloc has handed out (the windows' backing
// stores among it) and the rest (malloc's free pages, stacks).

#include "bench_support.h"

#include "toolkit/covered_stores.h"

#include <QApplication>
#include <QBackingStore>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <memory>

#include <malloc.h>
#include <unistd.h>

using namespace bench;

namespace {

const char *const kSteps[] = {"bare", "fonts", "created", "shown", "settled"};

void settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// The faces the windows use, drawn once at their sizes.
void draw_fonts() {
  QImage image(800, 200, QImage::Format_RGB32);
  QPainter p(&image);
  for (const char *family :
       {"Sans Serif", "MS Sans Serif", "Lucida Console", "Terminal", "DSEG7 Classic"}) {
    for (int pixels : {11, 13, 19, 32, 64}) {
      QFont f(QString::fromLatin1(family));
      f.setPixelSize(pixels);
      for (bool bold : {false, true}) {
        f.setBold(bold);
        p.setFont(f);
        p.drawText(10, 100, QStringLiteral("0123456789 Abcdefghij XYZ 1:02.345"));
      }
    }
  }
}

// The resident memory of this process split by kind, in bytes.
struct Parts {
  qint64 resident = 0;
  qint64 libraries = 0; // shared libraries and this program's own file
  qint64 fonts = 0;     // font files and fontconfig's caches
  qint64 own = 0;       // heap, anonymous mappings, stacks
  qint64 malloc_used = 0;
  qint64 stores = 0; // the shown windows' backing stores (handed out by malloc)
};

// The shown windows' backing stores: the picture each window paints into.
qint64 backing_store_bytes() {
  qint64 bytes = 0;
  for (QWidget *w : QApplication::topLevelWidgets()) {
    if (!w->isVisible() || !w->backingStore())
      continue;
    if (auto *image = dynamic_cast<QImage *>(w->backingStore()->paintDevice()))
      bytes += image->sizeInBytes();
  }
  return bytes;
}

Parts measure_parts() {
  // Resident memory first: reading the mappings allocates.
  Parts p;
  p.resident = resident_bytes();
  const struct mallinfo2 mi = mallinfo2();
  p.malloc_used = qint64(mi.uordblks + mi.hblkhd);
  p.stores = backing_store_bytes();
  const MappedMemory m = mapped_memory();
  p.libraries = m.libraries;
  p.fonts = m.fonts;
  p.own = m.own;
  return p;
}

// One step in this process; prints its resident memory and its parts in
// bytes.
int step(int argc, char **argv, const char *name) {
  QApplication app(argc, argv);
  const int n = int(std::find_if(std::begin(kSteps), std::end(kSteps),
                                 [&](const char *s) { return std::strcmp(s, name) == 0; }) -
                    std::begin(kSteps));
  if (n >= 1)
    draw_fonts();
  std::unique_ptr<Program> program;
  if (n >= 2)
    program = std::make_unique<Program>(n >= 3);
  settle(500);
  if (n >= 4)
    settle(CoveredStores::kReleaseAfterMs);
  const Parts p = measure_parts();
  std::printf("%lld %lld %lld %lld %lld %lld\n", static_cast<long long>(p.resident),
              static_cast<long long>(p.libraries), static_cast<long long>(p.fonts),
              static_cast<long long>(p.own), static_cast<long long>(p.malloc_used),
              static_cast<long long>(p.stores));
  return 0;
}

Parts measure(const char *name) {
  char exe[4096] = {};
  if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0)
    return {};
  const QByteArray command = QByteArray("'") + exe + "' " + name;
  FILE *f = popen(command.constData(), "r");
  if (!f)
    return {};
  long long v[6] = {};
  Parts p;
  if (std::fscanf(f, "%lld %lld %lld %lld %lld %lld", &v[0], &v[1], &v[2], &v[3], &v[4],
                  &v[5]) == 6)
    p = {v[0], v[1], v[2], v[3], v[4], v[5]};
  pclose(f);
  return p;
}

double mib(qint64 bytes) { return double(bytes) / (1 << 20); }

// The parts of one step's run: the libraries every Qt program maps, then what
// the program's own memory holds.
void note_parts(const Parts &p) {
  note(QStringLiteral("    shared libraries %1, font files %2, other files %3; own memory %4: "
                      "handed out by malloc %5 (of it backing stores %6), the rest %7 MiB")
           .arg(mib(p.libraries), 0, 'f', 1)
           .arg(mib(p.fonts), 0, 'f', 1)
           .arg(mib(p.resident - p.libraries - p.fonts - p.own), 0, 'f', 1)
           .arg(mib(p.own), 0, 'f', 1)
           .arg(mib(p.malloc_used), 0, 'f', 1)
           .arg(mib(p.stores), 0, 'f', 1)
           .arg(mib(p.own - p.malloc_used), 0, 'f', 1));
}

} // namespace

int main(int argc, char **argv) {
  use_offscreen_platform();
  if (argc > 1)
    return step(argc, argv, argv[1]);
  note("bench_memory: resident memory step by step (each step a fresh process)");
  double before = 0;
  std::vector<double> medians;
  const char *what[] = {"a bare QApplication on the same platform plugin",
                        "+ the program's fonts loaded and drawn",
                        "+ the windows start-up creates (hidden; race windows come when shown)",
                        "+ the main window and every screen shown and painted",
                        "+ a while later, the windows that the front screen covers having "
                        "given back their pictures"};
  for (size_t i = 0; i < std::size(kSteps); ++i) {
    std::vector<double> runs;
    std::vector<Parts> parts;
    for (int r = 0; r < 3; ++r) {
      parts.push_back(measure(kSteps[i]));
      runs.push_back(mib(parts.back().resident));
    }
    const double m = median(runs);
    const QString change =
        QLatin1String(m >= before ? "+" : "") + QString::number(m - before, 'f', 1);
    note(QStringLiteral("%1: %2 MiB resident (%3 MiB; min %4 max %5)")
             .arg(QLatin1String(what[i]))
             .arg(m, 0, 'f', 1)
             .arg(change)
             .arg(*std::min_element(runs.begin(), runs.end()), 0, 'f', 1)
             .arg(*std::max_element(runs.begin(), runs.end()), 0, 'f', 1));
    // The parts of the run whose resident memory was the median.
    for (const Parts &p : parts)
      if (mib(p.resident) == m) {
        note_parts(p);
        break;
      }
    before = m;
    medians.push_back(m);
  }
  // Shown: each window's backing store grows with the display (8 MiB a
  // full-screen window at 1920x1080), so these say where the memory goes;
  // the target is on the real program after start (bench_cost).
  const double shown = medians[3], settled = medians[4];
  figure("memory.resident_shown", shown, "MiB", "(shown)", shown > 0);
  figure("memory.resident_settled", settled, "MiB", "(shown)", settled > 0);
  return failures() ? 1 : 0;
}
