#include "scratch_model.h"

#include "protocol/fields.h"
#include "screen_support.h"

namespace {

const char *const kEventHeadings[] = {"Heat Title:", "Time:", "Speed:"};
const char *const kCompetitorHeadings[] = {"Rank", "Bib", "Competitor", "NAT", "Status", "Laps-"};
const char *const kCompetitorTags[] = {"{rank}", "{bib}", "{name}", "{nat}", "{status}", "{laps}"};

} // namespace

ScratchModel::ScratchModel(const ScreenColours &colours, QObject *parent) : QObject(parent) {
  event_.set_col_count(2);
  event_.set_row_count(3);
  event_.set_col_width(0, 140);
  event_.set_col_width(1, 400);
  event_.set_screen_colours(colours);
  event_.set_fixed_cols(0);
  event_.set_fixed_rows(0);
  event_.set_font(sans_font_px(19, true));

  competitors_.set_col_count(6);
  competitors_.set_row_count(kLines + 1);
  const int widths[] = {60, 60, 360, 60, 60, 60};
  for (int c = 0; c < 6; ++c)
    competitors_.set_col_width(c, widths[c]);
  competitors_.set_screen_colours(colours);
  competitors_.set_fixed_cols(0);
  competitors_.set_fixed_rows(1);
  competitors_.set_font(sans_font_px(16, true));

  clear_all();
}

void ScratchModel::clear_all() {
  event_.clear_cells();
  competitors_.clear_cells();
  for (int r = 0; r < 3; ++r)
    event_.set_cell(0, r, kEventHeadings[r]);
  for (int c = 0; c < 6; ++c)
    competitors_.set_cell(c, 0, kCompetitorHeadings[c]);
  emit changed();
}

ApplyResult ScratchModel::apply_packet(QByteArrayView packet) {
  if (is_flag(packet, "{clr}")) {
    clear_all();
    return ApplyResult::stop;
  }
  if (has_tag(packet, "{title}")) {
    // A new heat: the competitor lines of the last one go with it.
    clear_all();
    event_.set_cell(1, 0, tag_value(packet, "{title}"));
    event_.set_cell(1, 1, tag_value(packet, "{time}"));
    event_.set_cell(1, 2, tag_value(packet, "{spd}"));
    emit changed();
    return ApplyResult::go_on;
  }
  const int line = leading_number(tag_value(packet, "{list}"));
  if (line < 0 || line >= kLines)
    return ApplyResult::go_on;
  // Each line comes whole: an absent tag empties its cell.
  for (int c = 0; c < 6; ++c)
    competitors_.set_cell(c, line + 1, tag_value(packet, kCompetitorTags[c]));
  emit changed();
  return ApplyResult::go_on;
}
