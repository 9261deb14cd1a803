#include "startup.h"

#include "ip_settings_dialog.h"
#include "main_window.h"
#include "signal_quit.h"
#include "toolkit/dialogs.h"

#include <QApplication>
#include <QScreen>

struct CommentatorWindows::Others {};

CommentatorWindows::CommentatorWindows(AppState &state) : state_(state) {
  main_ = std::make_unique<Tcommentator0_form>(state_);
  ip_dialog_ = std::make_unique<Tip_listening_address_form>(main_.get());
  main_->set_ip_dialog(ip_dialog_.get());
  others_ = std::make_unique<Others>();
}

CommentatorWindows::~CommentatorWindows() {
  shut_down();
  others_.reset();
  ip_dialog_.reset();
  main_.reset();
}

void CommentatorWindows::shut_down() {
  if (main_ && main_->isVisible())
    main_->hide();
}

int run_commentator(int argc, char **argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("V2 Vorevadovid Screen"));
  QApplication::setApplicationDisplayName(QStringLiteral("V2 Vorevadovid Screen"));
  // The screens end the program themselves; closing the last one must not.
  QApplication::setQuitOnLastWindowClosed(false);

  QtDialogs dialogs;
  AppState state;
  state.seams = real_seams(dialogs);

  CommentatorWindows windows(state);
  SignalQuit signals_quit;
  QObject::connect(&signals_quit, &SignalQuit::quit_requested, &app, &QApplication::quit);
  QObject::connect(&windows.main_window(), &Tcommentator0_form::terminate_requested, &app,
                   &QApplication::quit, Qt::QueuedConnection);

  Tcommentator0_form &main = windows.main_window();
  if (QScreen *screen = QGuiApplication::primaryScreen())
    main.move(screen->availableGeometry().center() - main.rect().center());
  main.show();
  const int rc = app.exec();
  windows.shut_down();
  return rc;
}
