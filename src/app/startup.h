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
// whether closing that window ends the program or only hides it.
class CommentatorWindows {
public:
  explicit CommentatorWindows(AppState &state);
  ~CommentatorWindows();

  Tcommentator0_form &main_window() { return *main_; }
  Tip_listening_address_form &ip_dialog() { return *ip_dialog_; }
  BrowserViewControl &browser_view() { return *browser_; }
  // Every window with a short name (for pictures of them).
  struct Named {
    QString name;
    QWidget *window;
  };
  QList<Named> all_windows() const;

  // One race screen: the dispatcher hands its Packets to the model; the
  // window shows the model (and comes to the front).
  struct RaceScreen {
    PacketKind kind;
    QString name;
    QObject *model = nullptr;
    QWidget *window = nullptr;
    std::function<ApplyResult(QByteArrayView packet)> apply;
    FeedBadge *badge = nullptr;
    // Closing the window ends the program; otherwise it only hides.
    bool ends_program = false;
  };
  const QList<RaceScreen> &race_screens() const { return race_screens_; }

  // The window of a packet kind.
  QWidget *screen(PacketKind kind) const;

  // Ends the run: the main window is hidden (it closes its listener and
  // writes commentator.dat).
  void shut_down();

private:
  template <typename Model, typename Window>
  void add_race_screen(PacketKind kind, const char *name, Model &model, Window &window);

  struct Others;
  AppState &state_;
  std::unique_ptr<Tcommentator0_form> main_;
  std::unique_ptr<Tip_listening_address_form> ip_dialog_;
  std::unique_ptr<Others> others_;
  std::unique_ptr<BrowserViewControl> browser_;
  QList<RaceScreen> race_screens_;
  FramePacer pacer_;
  CoveredStores stores_;
};

// The program: start-up, the message loop, the end.
int run_commentator(int argc, char **argv);
