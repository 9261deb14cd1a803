#include "led_label.h"

#include <QPainter>

namespace led {
namespace {

constexpr std::uint16_t T = top, UR = upper_right, LR = lower_right, B = bottom,
                        LL = lower_left, UL = upper_left, ML = middle_left, MR = middle_right,
                        DUL = diagonal_upper_left, CU = centre_upper,
                        DUR = diagonal_upper_right, DLL = diagonal_lower_left,
                        CL = centre_lower, DLR = diagonal_lower_right;
constexpr std::uint16_t M = ML | MR;

constexpr std::uint16_t digits[10] = {
    T | UR | LR | B | LL | UL | DUR | DLL, // 0, with the slash that tells it from O
    UR | LR,
    T | UR | M | LL | B,
    T | UR | MR | LR | B,
    UL | M | UR | LR,
    T | UL | M | LR | B,
    T | UL | LL | B | LR | M,
    T | UR | LR,
    T | UR | LR | B | LL | UL | M,
    T | UR | LR | B | UL | M,
};

constexpr std::uint16_t letters[26] = {
    T | UR | LR | LL | UL | M,        // A
    T | UR | LR | B | MR | CU | CL,   // B
    T | B | LL | UL,                  // C
    T | UR | LR | B | CU | CL,        // D
    T | B | LL | UL | ML,             // E
    T | LL | UL | ML,                 // F
    T | LR | B | LL | UL | MR,        // G
    UR | LR | LL | UL | M,            // H
    T | B | CU | CL,                  // I
    UR | LR | B | LL,                 // J
    LL | UL | ML | DUR | DLR,         // K
    B | LL | UL,                      // L
    UR | LR | LL | UL | DUL | DUR,    // M
    UR | LR | LL | UL | DUL | DLR,    // N
    T | UR | LR | B | LL | UL,        // O
    T | UR | LL | UL | M,             // P
    T | UR | LR | B | LL | UL | DLR,  // Q
    T | UR | LL | UL | M | DLR,       // R
    T | UL | M | LR | B,              // S
    T | CU | CL,                      // T
    UR | LR | B | LL | UL,            // U
    LL | UL | DLL | DUR,              // V
    UR | LR | LL | UL | DLL | DLR,    // W
    DUL | DUR | DLL | DLR,            // X
    DUL | DUR | CL,                   // Y
    T | B | DUR | DLL,                // Z
};

} // namespace

std::uint16_t segments_of(QChar c) {
  const char16_t u = c.toUpper().unicode();
  if (u >= '0' && u <= '9')
    return digits[u - '0'];
  if (u >= 'A' && u <= 'Z')
    return letters[u - 'A'];
  switch (u) {
  case ':': return colon;
  case '.': case ',': return point;
  case '-': return M;
  case '+': return M | CU | CL;
  case '=': return M | B;
  case '_': return B;
  case '/': return DUR | DLL;
  case '\\': return DUL | DLR;
  case '*': return M | CU | CL | DUL | DUR | DLL | DLR;
  case '\'': return CU;
  case '"': return CU | UR;
  case '(': case '<': return DUR | DLR;
  case ')': case '>': return DUL | DLL;
  case '[': return T | B | LL | UL;
  case ']': return T | B | UR | LR;
  case '?': return T | UR | MR | CL;
  case '%': return UL | LR | DUR | DLL | M;
  default: return 0;
  }
}

} // namespace led

LedLabel::LedLabel(QWidget *parent) : QLabel(parent) {
  // The operator's text, never read as markup.
  setTextFormat(Qt::PlainText);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void LedLabel::set_segment_size(int horizontal, int vertical) {
  seg_w_ = qMax(1, horizontal);
  seg_h_ = qMax(1, vertical);
  updateGeometry();
  update();
}

void LedLabel::set_stroke(int thickness) {
  stroke_ = qMax(1, thickness);
  updateGeometry();
  update();
}

void LedLabel::set_active_colour(const QColor &c) {
  active_ = c;
  update();
}

void LedLabel::set_inactive_colour(const QColor &c) {
  inactive_ = c;
  update();
}

int LedLabel::cell_width() const { return seg_w_ + 2 * stroke_ + qMax(2, seg_w_ / 2); }

int LedLabel::cell_height() const { return 2 * seg_h_ + 3 * stroke_; }

QSize LedLabel::sizeHint() const {
  return {qMax<int>(1, int(text().size())) * cell_width() + 2, cell_height() + 2};
}

QSize LedLabel::minimumSizeHint() const { return sizeHint(); }

void LedLabel::paintEvent(QPaintEvent *) {
  QPainter p(this);
  if (autoFillBackground())
    p.fillRect(rect(), palette().color(backgroundRole()));
  const int y = (height() - cell_height()) / 2;
  int x = 1;
  for (QChar c : text()) {
    if (x >= width())
      break;
    draw_cell(p, x, y, led::segments_of(c));
    x += cell_width();
  }
}

void LedLabel::draw_cell(QPainter &p, int x, int y, std::uint16_t lit) const {
  using namespace led;
  const int t = stroke_, w = seg_w_, h = seg_h_;
  const int left = x, right = x + t + w, mid_x = x + t + (w - t) / 2;
  const int top_y = y, mid_y = y + t + h, bottom_y = y + 2 * t + 2 * h;
  // A colon or a point is a narrow sign of dots, without dim segments.
  if (lit & (colon | point)) {
    if (lit & colon) {
      p.fillRect(mid_x, top_y + t + h / 2, t, t, active_);
      p.fillRect(mid_x, mid_y + t + h / 2, t, t, active_);
    }
    if (lit & point)
      p.fillRect(mid_x, bottom_y, t, t, active_);
    return;
  }
  auto colour = [&](std::uint16_t s) { return (lit & s) ? active_ : inactive_; };
  auto bar = [&](std::uint16_t s, int rx, int ry, int rw, int rh) {
    p.fillRect(rx, ry, rw, rh, colour(s));
  };
  const int half = w / 2;
  bar(top, left + t, top_y, w, t);
  bar(middle_left, left + t, mid_y, half, t);
  bar(middle_right, left + t + half, mid_y, w - half, t);
  bar(bottom, left + t, bottom_y, w, t);
  bar(upper_left, left, top_y + t, t, h);
  bar(lower_left, left, mid_y + t, t, h);
  bar(upper_right, right, top_y + t, t, h);
  bar(lower_right, right, mid_y + t, t, h);
  // The centre and diagonal strokes show only when lit: dim, they would
  // clutter the small cells.
  if (lit & centre_upper)
    bar(centre_upper, mid_x, top_y + t, t, h);
  if (lit & centre_lower)
    bar(centre_lower, mid_x, mid_y + t, t, h);

  QPen pen;
  pen.setWidth(t);
  pen.setCapStyle(Qt::FlatCap);
  auto diagonal = [&](std::uint16_t s, int x1, int y1, int x2, int y2) {
    if (!(lit & s))
      return;
    pen.setColor(colour(s));
    p.setPen(pen);
    p.drawLine(x1, y1, x2, y2);
  };
  diagonal(diagonal_upper_left, left + t, top_y + t, mid_x - 1, mid_y - 1);
  diagonal(diagonal_upper_right, right - 1, top_y + t, mid_x + t, mid_y - 1);
  diagonal(diagonal_lower_left, mid_x - 1, mid_y + t, left + t, bottom_y - 1);
  diagonal(diagonal_lower_right, mid_x + t, mid_y + t, right - 1, bottom_y - 1);
}
