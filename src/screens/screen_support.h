#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QWindow>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

class QLabel;
class QWidget;

// Small pieces the commentator screens share: placing children the way the
// forms were designed, the faces and colours they ask for, and the tags they
// build from numbers.

// Which edges of its parent a control follows when the parent is resized.
// A pair left unset on one axis keeps the control's centre at the same
// fraction of the parent's size.
enum Anchor : unsigned {
  anchor_left = 1,
  anchor_top = 2,
  anchor_right = 4,
  anchor_bottom = 8,
  anchor_all = anchor_left | anchor_top | anchor_right | anchor_bottom,
};

// Where a control goes inside a parent of the given size, from its design
// geometry inside a parent of the design size.
QRect anchored_geometry(QRect design, QSize parent_design, unsigned anchors, QSize parent_now);

// The controls of one window with their design geometry. Parents are added
// before their children, so one pass places them all.
class AnchorLayout {
public:
  void add(QWidget *w, QRect design, QSize parent_design, unsigned anchors);
  // Places every control for its parent's current size (from resizeEvent).
  void apply() const;

private:
  struct Item {
    QWidget *widget;
    QRect design;
    QSize parent_design;
    unsigned anchors;
  };
  std::vector<Item> items_;
};

// The forms' "MS Sans Serif" at a pixel or point size; fontconfig picks the
// nearest sans-serif face.
QFont sans_font_px(int pixels, bool bold);
QFont sans_font_pt(int points, bool bold);
// A fixed-pitch face at a pixel size.
QFont fixed_font_px(int pixels, bool bold);

// Fills a widget's background with a colour.
void set_background(QWidget *w, QColor colour);
// A label for text from a Packet: shown as it came, never read as markup
// (a sender must not make a label load a picture or follow a link); screen
// readers read what it shows, and what it is from the description.
void set_up_packet_label(QLabel *label, const QString &role);
// Shows a text in such a label.
void show_packet_text(QLabel *label, const QString &text);
// A window's caption, also its accessible name for screen readers.
void set_caption(QWidget *w, const QString &caption);
// A picture control showing the logo drawn at its size.
QLabel *make_logo_label(QWidget *parent, QSize size);

// A tag built from a prefix and a number: numbered_tag("{ltg", 7) is "{ltg7}".
// Built in place, without an allocation: a table reads dozens of these per
// datagram. Prefixes are the screens' own short tags.
class NumberedTag {
public:
  NumberedTag(QByteArrayView prefix, int n);
  operator QByteArrayView() const { return QByteArrayView(text_, size_); }

private:
  char text_[48];
  qsizetype size_ = 0;
};
NumberedTag numbered_tag(QByteArrayView prefix, int n);

// Keeps a window's frame over the whole of a screen's area. A window
// manager's frame is known only once the window is on the screen, so the
// window is placed when shown and placed again whenever its frame turns out
// different from the one it was placed with (seen when the window is
// exposed, moved or resized). A fixed-border window keeps the size it gets.
class ScreenCover : public QObject {
public:
  explicit ScreenCover(QWidget *window);
  void cover(QRect screen, bool fixed_size);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QMargins frame() const;

  QWidget *window_;
  QPointer<QWindow> watched_;
  QRect screen_;
  QMargins frame_;
  bool fixed_size_ = false;
};

// Where a full-screen window goes: by default the primary screen.
using ScreenGeometrySource = std::function<QRect()>;
QRect primary_screen_geometry();
