// What the browser view must show after a capture is played: the capture's
// Packets go through the main window into the program's own screens (their
// models), then the models are written out by the browser view's encoder as
// the snapshot a browser gets on connect:  browser-truth CAPTURE
// The screen in front is the last one the dispatcher brought forward.
#include "app/main_window.h"
#include "app/startup.h"
#include "protocol/dispatcher.h"
#include "screens/omnium_model.h"
#include "screens/ptsrace_model.h"
#include "screens/reradu_screen_model.h"
#include "screens/scratch_model.h"
#include "screens/sprint_model.h"
#include "screens/tt_model.h"
#include "tap/capture.h"
#include "toolkit/dialogs.h"
#include "web/browser_view.h"
#include "web/screen_json.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace {

// Remembers which screen each Packet brings forward, and nothing else.
class FrontRecorder : public DispatchTarget {
public:
  bool main_window_visible() const override { return true; }
  void log_line(QByteArrayView) override {}
  void show_screen(PacketKind kind) override { front = kind; }
  void process_events() override {}
  ApplyResult apply(PacketKind, QByteArrayView) override { return {}; }
  std::optional<PacketKind> front;
};

template <typename Model> bool add_if(QObject *model, QJsonObject *out) {
  auto *m = qobject_cast<Model *>(model);
  if (m)
    *out = screen_json(*m);
  return m != nullptr;
}

QJsonObject screen_of(QObject *model) {
  QJsonObject out;
  add_if<ScratchModel>(model, &out) || add_if<OmniumModel>(model, &out) ||
      add_if<PtsraceModel>(model, &out) || add_if<SprintModel>(model, &out) ||
      add_if<TtModel>(model, &out) || add_if<ReraduScreenModel>(model, &out);
  return out;
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: browser-truth CAPTURE\n");
    return 2;
  }
  QFile file(QString::fromLocal8Bit(argv[1]));
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const tap::CaptureParse capture = tap::parse_capture(file.readAll());
  if (!capture.ok()) {
    std::fprintf(stderr, "%s:%d: %s\n", argv[1], capture.error_line, qPrintable(capture.error));
    return 1;
  }
  QTemporaryDir work;
  if (!work.isValid())
    return 1;

  QtDialogs dialogs;
  AppState state;
  state.seams = real_seams(dialogs);
  state.seams.data_folder = DataFolder{work.path()};
  state.ports = {0, 0}; // the Packets are handed in, not received
  CommentatorWindows windows(state);
  windows.main_window().show();
  FrontRecorder front;
  for (const tap::CaptureRecord &r : capture.records) {
    windows.main_window().handle_datagram(r.payload, "127.0.0.1");
    dispatch_packet(r.payload, front);
    app.processEvents();
  }
  app.processEvents();

  QList<QPair<QString, QJsonObject>> screens;
  for (const CommentatorWindows::RaceScreen &s : windows.race_screens())
    screens.append({web_screen_name(s.kind), screen_of(s.model)});
  const QByteArray json =
      snapshot_message(front.front ? web_screen_name(*front.front) : QString(), WebFeed{}, screens);
  const bool written = std::fwrite(json.constData(), 1, size_t(json.size()), stdout) == size_t(json.size());
  std::fflush(stdout);
  windows.shut_down();
  return written ? 0 : 1;
}
