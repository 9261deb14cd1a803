// Renders every window of the program, filled by the demo race, into PNG
// files, offscreen, as on a screen of the given size:
//   commentator-screenshots CAPTURE OUTPUT_DIR [WIDTHxHEIGHT [WINDOW SUFFIX]]
// With a window name, only that window is written, as NAME + SUFFIX + ".png".
#include "app/main_window.h"
#include "app/startup.h"
#include "tap/capture.h"
#include "toolkit/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace {

// The offscreen platform's one screen, of the size asked for.
bool use_offscreen_screen(const char *size, QTemporaryDir &dir) {
  int w = 0;
  int h = 0;
  if (std::sscanf(size, "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0 || !dir.isValid())
    return false;
  const QString path = dir.filePath(QStringLiteral("screen.json"));
  QFile f(path);
  const QByteArray json = QStringLiteral("{\"screens\": [{\"name\": \"shot\", \"x\": 0, \"y\": 0, "
                                         "\"width\": %1, \"height\": %2, \"logicalDpi\": 96, "
                                         "\"dpr\": 1}]}")
                              .arg(w)
                              .arg(h)
                              .toUtf8();
  if (!f.open(QIODevice::WriteOnly) || f.write(json) != json.size())
    return false;
  f.close();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + path.toLocal8Bit());
  return true;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3 && argc != 4 && argc != 6) {
    std::fprintf(stderr, "usage: commentator-screenshots CAPTURE OUTPUT_DIR [WIDTHxHEIGHT [WINDOW SUFFIX]]\n");
    return 2;
  }
  QTemporaryDir config;
  if (argc >= 4 && !use_offscreen_screen(argv[3], config)) {
    std::fprintf(stderr, "bad screen size %s\n", argv[3]);
    return 2;
  }
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const QString only = args.size() == 6 ? args.at(4) : QString();
  const QString suffix = args.size() == 6 ? args.at(5) : QString();
  QFile file(args.at(1));
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(1)));
    return 1;
  }
  const tap::CaptureParse capture = tap::parse_capture(file.readAll());
  if (!capture.ok()) {
    std::fprintf(stderr, "%s:%d: %s\n", qPrintable(args.at(1)), capture.error_line,
                 qPrintable(capture.error));
    return 1;
  }
  const QDir out(QDir(args.at(2)).absolutePath());
  if (!out.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "cannot create %s\n", qPrintable(args.at(2)));
    return 1;
  }

  // The program's files go to a scratch folder, not the caller's.
  const QString work = QDir::temp().filePath(QStringLiteral("commentator-screenshots"));
  QDir(work).removeRecursively();
  QDir().mkpath(work);

  QtDialogs dialogs;
  AppState state;
  state.seams = real_seams(dialogs);
  state.seams.data_folder = DataFolder{work};
  state.ports = {0, 0}; // no real ports: the feed is handed in directly
  CommentatorWindows windows(state);
  windows.main_window().show();
  for (const tap::CaptureRecord &r : capture.records) {
    windows.main_window().handle_datagram(r.payload, "127.0.0.1");
    app.processEvents();
  }
  // The main window's feed line is brought up to date once a second.
  QEventLoop settle;
  QTimer::singleShot(1100, &settle, &QEventLoop::quit);
  settle.exec();

  int failures = 0;
  for (const CommentatorWindows::Named &w : windows.all_windows()) {
    if (!only.isEmpty() && w.name != only)
      continue;
    const QString path = out.filePath(w.name + suffix + QStringLiteral(".png"));
    if (!w.window->grab().save(path)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      ++failures;
      continue;
    }
    std::printf("%s\n", qPrintable(path));
  }
  windows.shut_down();
  return failures ? 1 : 0;
}
