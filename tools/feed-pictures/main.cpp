// Renders the feed health pictures into OUTPUT_DIR: the main window when the
// feed stopped 14 s ago (feed-amber.png) and the scratch screen in front,
// silent for 1 min 14 s, with its badge (feed-badge.png). The clock is the
// program's own seam, moved by hand: commentator-feed-pictures OUTPUT_DIR
// (run it offscreen).
#include "app/main_window.h"
#include "app/startup.h"
#include "toolkit/dialogs.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

constexpr QByteArrayView kResults = "192.168.1.10";

// A keirin final from the results PC, then nothing more.
void feed_a_heat(Tcommentator0_form &main) {
  main.handle_datagram("{heartbeat}+", kResults, 0);
  main.handle_datagram("{scratch}+{title}Keirin Men Final{time}10.482{spd}68.69 km/h", kResults, 0);
  const char *const riders[] = {"{list}0{rank}1{bib}12{name}A. RIDER{nat}NED{status}{laps}0",
                                "{list}1{rank}2{bib}7{name}M. VOSS{nat}GER{status}{laps}0",
                                "{list}2{rank}3{bib}21{name}J. KOWALSKI{nat}POL{status}{laps}0",
                                "{list}3{rank}4{bib}3{name}T. OKAFOR{nat}GBR{status}{laps}0"};
  for (const char *r : riders)
    main.handle_datagram(QByteArray("{scratch}+") + r, kResults, 0);
}

bool save(QWidget *w, const QDir &out, const QString &name) {
  const QString path = out.filePath(name);
  if (!w->grab().save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: commentator-feed-pictures OUTPUT_DIR\n");
    return 2;
  }
  const QDir out(QDir(args.at(1)).absolutePath());
  if (!out.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "cannot create %s\n", qPrintable(args.at(1)));
    return 1;
  }
  // The program's files go to a scratch folder, not the caller's.
  const QString work = QDir::temp().filePath(QStringLiteral("commentator-feed-pictures"));
  QDir(work).removeRecursively();
  QDir().mkpath(work);
  const DataFolder data{work};
  QFile dat(data.file(QLatin1StringView("commentator.dat")));
  if (!dat.open(QIODevice::WriteOnly) || dat.write(kResults.toByteArray() + "\r\n") != kResults.size() + 2)
    return 1;
  dat.close();

  QtDialogs dialogs;
  AppState state;
  state.seams = real_seams(dialogs);
  state.seams.data_folder = data;
  qint64 clock = QDateTime(QDate(2026, 12, 9), QTime(19, 42, 7)).toMSecsSinceEpoch();
  state.seams.now_ms = [&clock] { return clock; };
  state.ports = {0, 0}; // no real ports: the feed is handed in directly
  CommentatorWindows windows(state);
  Tcommentator0_form &main = windows.main_window();
  main.show();
  // Named as the program names its real ports.
  main.feed().set_listener(0, 29105, true);
  main.feed().set_listener(1, 29104, true);
  feed_a_heat(main);
  app.processEvents();

  clock += 14 * 1000;
  main.feed().evaluate();
  app.processEvents();
  bool ok = save(&main, out, QStringLiteral("feed-amber.png"));

  clock += 60 * 1000;
  main.feed().evaluate();
  app.processEvents();
  app.processEvents();
  ok = save(windows.screen(PacketKind::scratch), out, QStringLiteral("feed-badge.png")) && ok;
  windows.shut_down();
  return ok ? 0 : 1;
}
