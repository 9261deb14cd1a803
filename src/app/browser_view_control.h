#pragma once

#include "app_state.h"
#include "feed_health.h"
#include "web/browser_settings.h"
#include "web/browser_view.h"

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class Tbrowser_view_form;
class Tcommentator0_form;

// The feed line's state as the browser view sends it.
WebFeed web_feed(const FeedState &state);

// The browser view in the program: the main window's "&Browser View…" menu
// item and its dialog, the remembered choice (browserview.ini), the screen in
// front and the feed health passed down, and a line in the main window's
// status bar saying where it listens or why it cannot.
class BrowserViewControl : public QObject {
  Q_OBJECT
public:
  BrowserViewControl(AppState &state, Tcommentator0_form &main);
  ~BrowserViewControl() override;

  BrowserView &view() { return view_; }
  Tbrowser_view_form &dialog() { return *dialog_; }

  // Switches the view as chosen (for this run); true when that worked.
  bool switch_to(const BrowserViewSettings &settings);
  // The remembered choice (off unless the file says on).
  void switch_as_remembered();
  const BrowserViewSettings &settings() const { return settings_; }
  // What the main window's status bar says (empty while off).
  QString status_text() const { return status_; }

  // The menu item: the dialog, then the choice is switched to and remembered.
  void BrowserView1Click();
  // Runs the dialog modally; true when closed with OK. Tests replace it.
  std::function<bool(Tbrowser_view_form &)> run_dialog;

private:
  void show_status(const QString &text);

  AppState &state_;
  Tcommentator0_form &main_;
  BrowserView view_;
  Tbrowser_view_form *dialog_ = nullptr;
  QLabel *status_label_ = nullptr;
  BrowserViewSettings settings_;
  QString status_;
};
