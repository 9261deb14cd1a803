// Where the program's resident memory goes: the same process started four
// times, each a step further (a bare application on the same platform, the
// program's fonts drawn once, every window created, every screen shown and
// painted), its resident memory read at the end of each; the differences are
// the parts.

#include "bench_support.h"

#include <QApplication>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>

#include <unistd.h>

using namespace bench;

namespace {

const char *const kSteps[] = {"bare", "fonts", "created", "shown"};

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

// One step in this process; prints its resident memory in bytes.
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
  std::printf("%lld\n", static_cast<long long>(resident_bytes()));
  return 0;
}

double measure(const char *name) {
  char exe[4096] = {};
  if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0)
    return 0;
  const QByteArray command = QByteArray("'") + exe + "' " + name;
  FILE *f = popen(command.constData(), "r");
  if (!f)
    return 0;
  long long bytes = 0;
  if (std::fscanf(f, "%lld", &bytes) != 1)
    bytes = 0;
  pclose(f);
  return double(bytes) / (1 << 20);
}

} // namespace

int main(int argc, char **argv) {
  use_offscreen_platform();
  if (argc > 1)
    return step(argc, argv, argv[1]);
  note("bench_memory: resident memory step by step (each step a fresh process)");
  double before = 0;
  double total = 0;
  const char *what[] = {"a bare QApplication on the same platform plugin",
                        "+ the program's fonts loaded and drawn",
                        "+ every window created (hidden)",
                        "+ the main window and every screen shown and painted"};
  for (size_t i = 0; i < std::size(kSteps); ++i) {
    std::vector<double> runs;
    for (int r = 0; r < 3; ++r)
      runs.push_back(measure(kSteps[i]));
    const double m = median(runs);
    note(QStringLiteral("%1: %2 MiB resident (+%3 MiB; min %4 max %5)")
             .arg(QLatin1String(what[i]))
             .arg(m, 0, 'f', 1)
             .arg(m - before, 0, 'f', 1)
             .arg(*std::min_element(runs.begin(), runs.end()), 0, 'f', 1)
             .arg(*std::max_element(runs.begin(), runs.end()), 0, 'f', 1));
    before = m;
    total = m;
  }
  figure("memory.resident_shown", total, "MiB", "<= 40", total > 0 && total <= 40);
  return failures() ? 1 : 0;
}
