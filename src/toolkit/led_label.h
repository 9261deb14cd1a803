#pragma once

#include <QColor>
#include <QLabel>

#include <cstdint>

// The segments of one fourteen-segment character cell, one bit each.
namespace led {
enum Segment : std::uint16_t {
  top = 1 << 0,
  upper_right = 1 << 1,
  lower_right = 1 << 2,
  bottom = 1 << 3,
  lower_left = 1 << 4,
  upper_left = 1 << 5,
  middle_left = 1 << 6,
  middle_right = 1 << 7,
  diagonal_upper_left = 1 << 8,
  centre_upper = 1 << 9,
  diagonal_upper_right = 1 << 10,
  diagonal_lower_left = 1 << 11,
  centre_lower = 1 << 12,
  diagonal_lower_right = 1 << 13,
  point = 1 << 14,
  colon = 1 << 15,
};
// The lit segments of a character: digits, letters (either case), ":", "."
// and some signs; a blank or an unknown character lights nothing.
std::uint16_t segments_of(QChar c);
} // namespace led

// A label that draws its text as LED segments, one cell per character, left
// to right and centred vertically. It stays a QLabel, so text() and the
// accessible name are the text itself.
class LedLabel : public QLabel {
  Q_OBJECT
public:
  explicit LedLabel(QWidget *parent = nullptr);

  // Length of a horizontal and of a vertical segment, and the stroke.
  void set_segment_size(int horizontal, int vertical);
  void set_stroke(int thickness);
  void set_active_colour(const QColor &c);
  void set_inactive_colour(const QColor &c);

  int segment_width() const { return seg_w_; }
  int segment_height() const { return seg_h_; }
  int stroke() const { return stroke_; }
  QColor active_colour() const { return active_; }

  // Advance from one character cell to the next, and a cell's height.
  int cell_width() const;
  int cell_height() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  void draw_cell(QPainter &p, int x, int y, std::uint16_t lit) const;

  int seg_w_ = 4;
  int seg_h_ = 5;
  int stroke_ = 1;
  QColor active_ = QColor(255, 255, 0);
  QColor inactive_ = QColor(96, 0, 0);
};
