// Hostile input: how long the whole program takes to handle datagrams built
// to hurt (every byte value, braces, numbers beyond 32 bits, a table asking
// for 2,000,000,000 rows), directly and through a real listener, and the
// omnium screen alone with the largest table a datagram can ask for. The
// tests check what these datagrams do; this program checks how fast.

#include "bench_support.h"

#include "app/main_window.h"
#include "screens/omnium_commentator_form.h"

#include <QApplication>
#include <QUdpSocket>

using namespace bench;

namespace {

QByteArray every_byte() {
  QByteArray b;
  for (int i = 0; i < 256; ++i)
    b.append(char(i));
  return b;
}

struct Hostile {
  const char *name;
  QByteArray datagram;
};

QList<Hostile> hostile_datagrams() {
  const QByteArray n = "99999999999999999999999";
  return {
      {"empty", QByteArray()},
      {"1024_braces", QByteArray(1024, '{')},
      {"1024_closing_braces", QByteArray(1024, '}')},
      {"every_byte", every_byte()},
      {"every_byte_after_kinds",
       "{scratch}+{omnium}+{ptsrace}+{tt}+{reradu}+{sprintf}+" + every_byte().mid(1)},
      {"numbers_beyond_32_bits", "{scratch}+{list}" + n + "{omnium}+{lines}" + n + "{cols}-" + n +
                                     "{line}" + n + "{ptsrace}+{standings}" + n + "{sprint}-" +
                                     n + "{tt}+{standings}" + n},
      {"huge_omnium_shape", "{omnium}+{lines}2000000000{cols}2000000000{line}0"},
  };
}

double ms_since(qint64 t0) { return double(now_ns() - t0) / 1e6; }

// Each datagram handled twice by the main window: the first brings its
// windows up for the first time, the second is the cost of the datagram.
void handled_directly(Program &program) {
  Tcommentator0_form &main = program.windows().main_window();
  for (const Hostile &h : hostile_datagrams()) {
    const QByteArray d = h.datagram.left(1024);
    main.handle_datagram(d, "127.0.0.1");
    const qint64 t0 = now_ns();
    main.handle_datagram(d, "127.0.0.1");
    const double ms = ms_since(t0);
    figure(QStringLiteral("hostile.handle.%1").arg(h.name), ms, "ms", "< 50", ms < 50);
  }
}

// The largest omnium table through a real listener, from the send until the
// datagram was handled.
void through_listener(Program &program) {
  const QByteArray d = "{omnium}+{lines}2000000000{cols}2000000000{line}0";
  QUdpSocket s;
  const qint64 before = program.handled.load();
  const qint64 t0 = now_ns();
  if (s.writeDatagram(d, QHostAddress::LocalHost, program.port(1)) != d.size()) {
    skipped("hostile.listener.huge_omnium_shape", "the datagram could not be sent");
    return;
  }
  if (!run_until(program.handled, before + 1, 5000, 5000)) {
    skipped("hostile.listener.huge_omnium_shape", "the datagram was not handled within 5 s");
    return;
  }
  const double ms = double(program.last_handled_ns - t0) / 1e6;
  figure("hostile.listener.huge_omnium_shape", ms, "ms", "< 1000", ms < 1000);
}

// The omnium screen alone, shown: the largest table, applied and laid out.
void omnium_screen() {
  const ScreenColours colours{0x000000, 0xFFFFFF, 0x800080};
  Tomnium_commentator_form form(colours);
  form.set_screen_geometry_source([] { return QRect(0, 0, 1024, 768); });
  form.show();
  QCoreApplication::processEvents();
  const qint64 t0 = now_ns();
  form.apply_packet("{omnium}+{lines}2000000000{cols}2000000000{line}0");
  QCoreApplication::processEvents();
  const double ms = ms_since(t0);
  figure("hostile.omnium_screen.huge_shape", ms, "ms", "< 1000", ms < 1000);
}

} // namespace

int main(int argc, char **argv) {
  use_offscreen_platform();
  QApplication app(argc, argv);
  {
    Program program;
    handled_directly(program);
    through_listener(program);
  }
  omnium_screen();
  return failures() ? 1 : 0;
}
