// Renders every window of the program, filled by the demo race, into PNG
// files: commentator-screenshots CAPTURE OUTPUT_DIR (run it offscreen).
#include "app/main_window.h"
#include "app/startup.h"
#include "tap/capture.h"
#include "toolkit/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: commentator-screenshots CAPTURE OUTPUT_DIR\n");
    return 2;
  }
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
  QDir::setCurrent(work);

  QtDialogs dialogs;
  AppState state;
  state.seams = real_seams(dialogs);
  state.ports = {0, 0}; // no real ports: the feed is handed in directly
  CommentatorWindows windows(state);
  windows.main_window().show();
  for (const tap::CaptureRecord &r : capture.records) {
    windows.main_window().handle_datagram(r.payload, "127.0.0.1");
    app.processEvents();
  }
  app.processEvents();

  int failures = 0;
  for (const CommentatorWindows::Named &w : windows.all_windows()) {
    const QString path = out.filePath(w.name + QStringLiteral(".png"));
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
