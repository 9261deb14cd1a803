#pragma once

#include "app_state.h"
#include "protocol/dispatcher.h"
#include "toolkit/covered_stores.h"
#include "toolkit/frame_pacer.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class BrowserViewControl;
class Tcommentator0_form;
class Tip_listening_address_form;
class QWidget;

class FeedBadge;

// Every window of the program, created hidden, destroyed in reverse. The race
// screens are one table: each screen's model, the window that shows it, and
// whether closing that window ends the program or only hides it. The models
// are made at once (they take every Packet and feed the browser view); a
// race window, only the first time it is asked for: a meeting may never show
// some of them, and each costs memory from the start.
class CommentatorWindows {
public:
  explicit CommentatorWindows(AppState &state);
  ~CommentatorWindows();

  Tcommentator0_form &main_window() { return *main_; }
  Tip_listening_address_form &ip_dialog() { return *ip_dialog_; }
  BrowserViewControl &browser_view() { return *browser_; }
  // Every window with a short name (for pictures of them); the race windows
  // not made yet are made.
  struct Named {
    QString name;
    QWidget *window;
  };
  QList<Named> all_windows();

  // One race screen: the dispatcher hands its Packets to the model; the
  // window shows the model (and comes to the front).
  struct RaceScreen {
    PacketKind kind;
    QString name;
    QObject *model = nullptr;
    // The window and its badge: none until the window is first asked for.
    QWidget *window = nullptr;
    std::function<ApplyResult(QByteArrayView packet)> apply;
    FeedBadge *badge = nullptr;
    // Closing the window ends the program; otherwise it only hides.
    bool ends_program = false;
  };
  const QList<RaceScreen> &race_screens() const { return race_screens_; }

  // The window of a packet kind, made now if it was not yet.
  QWidget *screen(PacketKind kind);

  // Ends the run: the main window is hidden (it closes its listener and
  // writes commentator.dat).
  void shut_down();

private:
  template <typename Window, typename Model>
  void add_race_screen(PacketKind kind, const char *name, Model &model,
                       std::unique_ptr<Window> &window);
  // What every window gets once it exists: its accessible name, the frame
  // pacer, the backing store's release.
  void watch_window(QWidget *window);
  // The windows made at start, race windows aside.
  QList<Named> windows_made_at_start() const;

  struct Others;
  AppState &state_;
  std::unique_ptr<Tcommentator0_form> main_;
  std::unique_ptr<Tip_listening_address_form> ip_dialog_;
  std::unique_ptr<Others> others_;
  std::unique_ptr<BrowserViewControl> browser_;
  QList<RaceScreen> race_screens_;
  // Makes a race screen's window, in race_screens_' order.
  QList<std::function<void()>> make_window_;
  FramePacer pacer_;
  CoveredStores stores_;
};

// The program: start-up, the message loop, the end.
int run_commentator(int argc, char **argv);
