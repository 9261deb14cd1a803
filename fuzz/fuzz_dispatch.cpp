// Fuzzes the whole program: every window is created once, offscreen, as at a
// real start, and each input is one datagram handed to the main window from
// 127.0.0.1 (the sender filter, the dispatch to every screen, the log). The
// windows then repaint. Input from the network must never reach the
// operator, so any message box aborts, as does a log longer than 30 lines.

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/packet_log.h"
#include "app/startup.h"
#include "toolkit/dialogs.h"

#include <QApplication>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QDir>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// A datagram longer than this is dropped by the receiver before it is
// handled.
constexpr std::size_t kMaxDatagram = 1024;

[[noreturn]] void box_shown(const char *kind, const QString &text) {
  std::fprintf(stderr, "fuzz_dispatch: a %s box was shown for network input: %s\n", kind,
               qPrintable(text));
  std::abort();
}

class AbortingDialogs final : public Dialogs {
public:
  void error(QWidget *, const QString &text) override { box_shown("error", text); }
  void information(QWidget *, const QString &text) override { box_shown("information", text); }
  bool confirm(QWidget *, const QString &text) override { box_shown("confirm", text); }
  void plain(QWidget *, const QString &text) override { box_shown("plain", text); }
  QString open_file(QWidget *, const QString &caption, const QString &, const QString &) override {
    box_shown("file-open", caption);
  }
};

struct Program {
  AbortingDialogs dialogs;
  AppState state;
  CommentatorWindows *windows = nullptr;
};

Program *program = nullptr;
unsigned long inputs = 0;

// Qt's own warnings (the offscreen plugin cannot raise a window) would bury
// the fuzzer's output; critical and fatal messages still go to standard error.
void quiet_messages(QtMsgType type, const QMessageLogContext &, const QString &text) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "%s\n", qPrintable(text));
  if (type == QtFatalMsg)
    std::abort();
}

} // namespace

// Memory that the system's font library keeps until exit (Qt loads it; it is
// not instrumented). The same list as fuzz/qt-leaks.supp, built in so that the
// fuzzer needs no environment.
extern "C" const char *__lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libfreetype.so\nleak:libdbus-1.so\n"
         "leak:libglib-2.0.so\nleak:libQt6DBus.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(quiet_messages);
  // The program's files go to a fresh folder of their own.
  char folder[] = "/tmp/fuzz_dispatch.XXXXXX";
  if (!mkdtemp(folder)) {
    std::perror("fuzz_dispatch: mkdtemp");
    std::abort();
  }

  // Both live for the whole run: libFuzzer never returns to tear them down.
  new QApplication(*argc, *argv);
  program = new Program;
  program->state.seams.dialogs = &program->dialogs;
  program->state.seams.process_events = [] { QCoreApplication::processEvents(); };
  program->state.seams.serial_device = [](int) { return QStringLiteral("/nonexistent/tty"); };
  program->state.seams.data_folder = DataFolder{QString::fromLocal8Bit(folder)};
  program->state.ports = {0, 0};
  program->windows = new CommentatorWindows(program->state);
  program->windows->main_window().show();
  QCoreApplication::processEvents();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size > kMaxDatagram)
    return -1; // never handed on: not worth keeping in the corpus
  Tcommentator0_form &main = program->windows->main_window();
  main.handle_datagram(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)),
                       "127.0.0.1");
  if (main.log().rowCount() > PacketLog::kMaxLines) {
    std::fprintf(stderr, "fuzz_dispatch: the packet log holds %d lines\n", main.log().rowCount());
    std::abort();
  }
  // Paint what the datagrams changed, as the event loop would between them
  // (not after every one: painting six windows costs more than the rest).
  if (++inputs % 8 == 0)
    QCoreApplication::processEvents();
  return 0;
}
