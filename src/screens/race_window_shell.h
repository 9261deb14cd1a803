#pragma once

#include "screen_support.h"

#include <QObject>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

// What every race window does alike around its contents, held by the window
// as a member: its show step when the program shows it, ending the program
// (or only hiding) when it is closed, placing its controls by their anchors
// when it is resized, and covering the screen the main window is on.
class RaceWindowShell final : public QObject {
public:
  explicit RaceWindowShell(QWidget *window);

  // Runs when the program shows the window (not when the window system
  // shows it again after a minimise).
  void on_show(std::function<void()> step) { on_show_ = std::move(step); }
  // Runs when the window is closed, before it hides; without one, closing
  // only hides the window.
  void on_close(std::function<void()> step) { on_close_ = std::move(step); }
  // Runs after the controls have been placed for a new size.
  void on_resize(std::function<void()> step) { on_resize_ = std::move(step); }

  // A control placed at its design geometry inside a parent of the design
  // size, following the given edges of its parent from then on. Parents are
  // added before their children.
  void anchor(QWidget *control, QRect design, QSize parent_design, unsigned anchors);

  // Where the window goes when it covers a screen (the screen the main
  // window is on); the primary screen unless set.
  void set_screen_geometry_source(ScreenGeometrySource source) { screen_geometry_ = std::move(source); }
  // Lays the window's frame over the whole screen and keeps it there; a
  // fixed-size window keeps the size it gets. Returns the screen's area.
  QRect cover_screen(bool fixed_size);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QWidget *window_;
  AnchorLayout layout_;
  ScreenCover cover_;
  ScreenGeometrySource screen_geometry_ = primary_screen_geometry;
  std::function<void()> on_show_;
  std::function<void()> on_close_;
  std::function<void()> on_resize_;
};
