#pragma once

#include "app_state.h"
#include "protocol/dispatcher.h"
#include "toolkit/frame_pacer.h"

#include <QList>
#include <QString>

#include <memory>

class Tcommentator0_form;
class Tip_listening_address_form;
class QWidget;

// Every window of the program, created hidden in the order start-up needs
// (the main window first: its creation sets the colours the screens read),
// destroyed in reverse.
class CommentatorWindows {
public:
  explicit CommentatorWindows(AppState &state);
  ~CommentatorWindows();

  Tcommentator0_form &main_window() { return *main_; }
  Tip_listening_address_form &ip_dialog() { return *ip_dialog_; }
  // Every window with a short name (for pictures of them).
  struct Named {
    QString name;
    QWidget *window;
  };
  QList<Named> all_windows() const;

  // The window of a packet kind.
  QWidget *screen(PacketKind kind) const;

  // Ends the run: the main window is hidden (it closes its listener and
  // writes commentator.dat).
  void shut_down();

private:
  struct Others;
  AppState &state_;
  std::unique_ptr<Tcommentator0_form> main_;
  std::unique_ptr<Tip_listening_address_form> ip_dialog_;
  std::unique_ptr<Others> others_;
  FramePacer pacer_;
};

// The program: start-up, the message loop, the end.
int run_commentator(int argc, char **argv);
