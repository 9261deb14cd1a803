#include "screen_support.h"

#include "toolkit/logo.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// One axis of anchored_geometry: start and length for the parent's new size.
std::pair<int, int> place_axis(int pos, int len, int parent_design, int parent_now, bool near,
                               bool far) {
  const int grow = parent_now - parent_design;
  if (near && far)
    return {pos, qMax(0, len + grow)};
  if (far)
    return {pos + grow, len};
  if (near)
    return {pos, len};
  if (parent_design <= 0)
    return {pos, len};
  // Neither edge: the centre keeps its fraction of the parent's size.
  const qint64 centre2 = qint64(2 * pos + len) * parent_now / parent_design;
  return {int((centre2 - len) / 2), len};
}

} // namespace

QRect anchored_geometry(QRect design, QSize parent_design, unsigned anchors, QSize parent_now) {
  const auto [x, w] = place_axis(design.x(), design.width(), parent_design.width(),
                                 parent_now.width(), anchors & anchor_left, anchors & anchor_right);
  const auto [y, h] = place_axis(design.y(), design.height(), parent_design.height(),
                                 parent_now.height(), anchors & anchor_top, anchors & anchor_bottom);
  return QRect(x, y, w, h);
}

void AnchorLayout::add(QWidget *w, QRect design, QSize parent_design, unsigned anchors) {
  items_.push_back({w, design, parent_design, anchors});
  w->setGeometry(design);
}

void AnchorLayout::apply() const {
  for (const Item &item : items_) {
    const QWidget *parent = item.widget->parentWidget();
    if (!parent)
      continue;
    item.widget->setGeometry(
        anchored_geometry(item.design, item.parent_design, item.anchors, parent->size()));
  }
}

QFont sans_font_px(int pixels, bool bold) {
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setStyleHint(QFont::SansSerif);
  // The design widths were made for that narrow face: a condensed face
  // keeps headings such as "Rank" whole in their 40 pixels.
  f.setStretch(QFont::Condensed);
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

QFont sans_font_pt(int points, bool bold) {
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setStyleHint(QFont::SansSerif);
  // The design widths were made for that narrow face: a condensed face
  // keeps headings such as "Rank" whole in their 40 pixels.
  f.setStretch(QFont::Condensed);
  f.setPointSize(points);
  f.setBold(bold);
  return f;
}

QFont fixed_font_px(int pixels, bool bold) {
  QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

void set_background(QWidget *w, QColor colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

void set_up_packet_label(QLabel *label, const QString &role) {
  label->setTextFormat(Qt::PlainText);
  label->setTextInteractionFlags(Qt::NoTextInteraction);
  label->setOpenExternalLinks(false);
  label->setAccessibleDescription(role);
}

void show_packet_text(QLabel *label, const QString &text) {
  label->setText(text);
  // Set outright: a label's own name for screen readers drops every "&".
  label->setAccessibleName(text);
}

void set_caption(QWidget *w, const QString &caption) {
  w->setWindowTitle(caption);
  w->setAccessibleName(caption);
}

QLabel *make_logo_label(QWidget *parent, QSize size) {
  auto *label = new QLabel(parent);
  label->setPixmap(make_logo(size));
  // Drawn for its box already: stretching it again would distort it.
  label->setScaledContents(false);
  label->setAlignment(Qt::AlignCenter);
  label->setAccessibleName(QStringLiteral("Trackora logo"));
  return label;
}

NumberedTag::NumberedTag(QByteArrayView prefix, int n) {
  // 12 characters hold any int, and one more the closing brace.
  const qsizetype keep = std::min<qsizetype>(prefix.size(), qsizetype(sizeof text_) - 13);
  std::memcpy(text_, prefix.data(), size_t(keep));
  // Digits by hand: formatting through the C library was a good part of the
  // cost of reading a table's tags. Unsigned, so the lowest int turns
  // positive too.
  char digits[12];
  int count = 0;
  unsigned magnitude = n < 0 ? 0u - unsigned(n) : unsigned(n);
  do {
    digits[count++] = char('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  qsizetype at = keep;
  if (n < 0)
    text_[at++] = '-';
  while (count > 0)
    text_[at++] = digits[--count];
  text_[at++] = '}';
  size_ = at;
}

NumberedTag numbered_tag(QByteArrayView prefix, int n) { return NumberedTag(prefix, n); }

ScreenCover::ScreenCover(QWidget *window) : QObject(window), window_(window) {}

QMargins ScreenCover::frame() const {
  // The native window asks the window manager; the widget's own idea of its
  // frame is brought up to date only when the window moves.
  if (const QWindow *native = window_->windowHandle())
    return native->frameMargins();
  const QRect outer = window_->frameGeometry();
  const QRect inner = window_->geometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

void ScreenCover::cover(QRect screen, bool fixed_size) {
  screen_ = screen;
  fixed_size_ = fixed_size;
  frame_ = frame();
  // Closing a window can take its native window with it: watch the one it
  // has now.
  window_->winId();
  if (watched_ != window_->windowHandle()) {
    watched_ = window_->windowHandle();
    watched_->installEventFilter(this);
  }
  const QSize client = screen.size().shrunkBy(frame_);
  if (fixed_size)
    window_->setFixedSize(client);
  else
    window_->resize(client);
  // The frame goes to the screen's corner. Before the window is on the
  // screen the widget's position counts; after, the native window's.
  window_->move(screen.topLeft());
  if (window_->isVisible())
    window_->windowHandle()->setFramePosition(screen.topLeft());
}

bool ScreenCover::eventFilter(QObject *watched, QEvent *event) {
  const QEvent::Type t = event->type();
  if (t != QEvent::Expose && t != QEvent::Move && t != QEvent::Resize)
    return QObject::eventFilter(watched, event);
  // Placed again only for a frame not seen before: a window manager that
  // will not let the window cover the screen cannot start a tug of war.
  if (window_->isVisible() && frame() != frame_)
    cover(screen_, fixed_size_);
  return QObject::eventFilter(watched, event);
}

QRect primary_screen_geometry() {
  if (const QScreen *s = QGuiApplication::primaryScreen())
    return s->geometry();
  return QRect(0, 0, 800, 600);
}
