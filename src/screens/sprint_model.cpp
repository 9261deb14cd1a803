#include "sprint_model.h"

#include "protocol/fields.h"
#include "screen_support.h"

namespace {

constexpr int kDefaultColWidth = 64;
constexpr int kRowHeight = 30;
constexpr int kRows = 7;
constexpr int kCols = 3;

// Cell (column, row) and the tag that fills it, written on every Packet.
struct HeatCell {
  int col;
  int row;
  const char *tag;
};
constexpr HeatCell kHeatCells[] = {
    {1, 0, "{rnk1}"}, {2, 0, "{r1}"}, {1, 1, "{rnk2}"}, {2, 1, "{r2}"},
    {1, 2, "{rnk3}"}, {2, 2, "{r3}"}, {1, 3, "{rnk4}"}, {2, 3, "{r4}"},
    {2, 4, "{et}"},   {2, 5, "{spdk}"}, {2, 6, "{spdm}"},
};

} // namespace

SprintModel::SprintModel(const ScreenColours &colours, QObject *parent)
    : QObject(parent), colours_(colours) {
  TextGridModel &t = heat_;
  t.set_row_count(kRows);
  t.set_col_count(kCols);
  t.set_fixed_rows(0);
  t.set_fixed_cols(1);
  t.set_default_col_width(kDefaultColWidth);
  t.set_col_width(0, 2 * kDefaultColWidth);
  t.set_col_width(2, 5 * kDefaultColWidth);
  t.set_cell(0, 0, "Racers");
  t.set_cell(0, 4, "Time");
  t.set_cell(0, 5, "KMH");
  t.set_cell(0, 6, "MPH");
  t.set_default_row_height(kRowHeight);
}

void SprintModel::read_colours() {
  heat_.set_screen_colours(colours_);
  heat_.set_font(sans_font_pt(18, true));
}

ApplyResult SprintModel::apply_packet(QByteArrayView packet) {
  title_ = tag_value(packet, "{title}").toByteArray();
  for (const HeatCell &c : kHeatCells)
    heat_.set_cell(c.col, c.row, tag_value(packet, c.tag));
  emit changed();
  return ApplyResult::go_on;
}
