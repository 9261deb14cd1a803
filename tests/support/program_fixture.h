#pragma once

#include "app/app_state.h"
#include "app/startup.h"
#include "support/recording_dialogs.h"
#include "support/test_env.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QWidget;
class Tcommentator0_form;

// The whole program's windows as start-up builds them, with recorded boxes,
// a temporary data folder and the two listeners on ephemeral loopback ports;
// the main window is shown.
struct ProgramFixture {
  // prepare writes what the program finds in its data folder at start.
  explicit ProgramFixture(const std::function<void(const TempDataFolder &)> &prepare = {});

  Tcommentator0_form &main();
  // The window start-up names so, or null.
  QWidget *window(const QString &name) const;
  quint16 port(int listener);
  // Lines in the packet log.
  int logged();
  // Sends one datagram to a listener and waits for its log line.
  bool deliver(int listener, const QByteArray &datagram);

  TempDataFolder data;
  RecordingDialogs dialogs;
  AppState state;
  std::unique_ptr<CommentatorWindows> windows;
};
