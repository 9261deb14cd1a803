#include "tt_model.h"

#include "protocol/fields.h"
#include "protocol/text8.h"
#include "screen_support.h"

namespace {

constexpr int kSmallRowHeight = 18;
const char *const kListHeadings[] = {"ToGo", "Net", "Diff"};
constexpr QByteArrayView kSeparator = "  /  ";

QFont grid_font() { return sans_font_px(13, true); }

void set_list_headings(TextGridModel &list) {
  for (int c = 0; c < 3; ++c)
    list.set_cell(c, 0, kListHeadings[c]);
}

// The value cut to a short text, for the result line.
void append_cut(QByteArray &line, QByteArrayView part) {
  line.append(part);
  line.truncate(kShortTextMax);
}

} // namespace

TtModel::TtModel(const ScreenColours &colours, QObject *parent) : QObject(parent), colours_(colours) {
  TextGridModel &s = standings_;
  s.set_row_count(kPositions + 1);
  s.set_fixed_rows(1);
  s.set_col_count(4);
  s.set_fixed_cols(1);
  const int widths[] = {40, 150, 85, 70};
  for (int c = 0; c < 4; ++c)
    s.set_col_width(c, widths[c]);
  s.set_font(grid_font());

  for (Racer *r : {&left_, &right_}) {
    TextGridModel &g = r->summary;
    g.set_col_count(1);
    g.set_row_count(4);
    g.set_font(grid_font());
    g.set_fixed_cols(0);
    g.set_fixed_rows(0);
  }
  // The one column fills the window's box for the racer: the browser view
  // shows it so before any window is made.
  left_.summary.set_col_width(0, 249);
  right_.summary.set_col_width(0, 245);
  for (Racer *r : {&right_, &left_}) {
    TextGridModel &g = r->list;
    g.set_col_count(3);
    g.set_row_count(kListLines + 1);
    const int list_widths[] = {30, 85, 60};
    for (int c = 0; c < 3; ++c)
      g.set_col_width(c, list_widths[c]);
    g.set_font(grid_font());
    g.set_fixed_cols(0);
    g.set_fixed_rows(1);
  }
}

void TtModel::start_showing() {
  standings_.set_default_row_height(kSmallRowHeight);
  left_.list.set_default_row_height(kSmallRowHeight);
  right_.list.set_default_row_height(kSmallRowHeight);
  clear_all();
  standings_.set_screen_colours(colours_);
  for (Racer *r : {&left_, &right_}) {
    r->summary.set_screen_colours(colours_);
    r->list.set_screen_colours(colours_);
  }
  emit changed();
}

void TtModel::clear_racer_parts() {
  for (Racer *r : {&left_, &right_}) {
    r->summary.clear_cells();
    r->list.clear_cells();
    set_list_headings(r->list);
    r->time.clear();
    r->diff.clear();
  }
}

void TtModel::clear_racers() {
  clear_racer_parts();
  emit changed();
}

void TtModel::clear_all() {
  for (int r = 1; r <= kPositions; ++r)
    standings_.clear_row(r);
  standings_.forget_user_widths();
  clear_racers();
}

TtModel::Side TtModel::choose_side(QByteArrayView packet) {
  const QByteArrayView crs = tag_value(packet, "{crs}");
  const QByteArrayView stack = tag_value(packet, "{stack}");
  const bool zero_or_one = crs == QByteArrayView("0") || crs == QByteArrayView("1");
  return zero_or_one && crs == stack ? Side::left : Side::right;
}

QByteArray TtModel::result_line(QByteArrayView packet) {
  QByteArray line;
  append_cut(line, tag_value(packet, "{time}"));
  for (const char *tag : {"{diff}", "{rank}", "{spdk}"}) {
    const QByteArrayView v = tag_value(packet, tag);
    if (v.isEmpty())
      continue;
    append_cut(line, kSeparator);
    append_cut(line, v);
  }
  return line;
}

ApplyResult TtModel::apply_packet(QByteArrayView packet) {
  // Each Packet does one thing: the first of these that it carries.
  if (is_flag(packet, "{clr}")) {
    clear_all();
    return ApplyResult::go_on;
  }
  if (is_flag(packet, "{clr_racers}")) {
    clear_racers();
    return ApplyResult::go_on;
  }
  if (const QByteArrayView p = tag_value(packet, "{standings}"); !p.isEmpty()) {
    apply_standings_line(packet, leading_number(p));
    emit changed();
    return ApplyResult::go_on;
  }
  if (!tag_value(packet, "{tick-hit}").isEmpty()) {
    apply_racer_update(packet);
    emit changed();
    return ApplyResult::go_on;
  }
  if (!tag_value(packet, "{audit}").isEmpty()) {
    apply_list_update(packet);
    emit changed();
  }
  return ApplyResult::go_on;
}

void TtModel::apply_standings_line(QByteArrayView packet, int position) {
  if (position < 0 || position >= kPositions)
    return;
  const int row = position + 1;
  // The standings read "{dif}"; the racer update reads "{diff}".
  const char *const tags[] = {"{rnk}", "{name}", "{score}", "{dif}"};
  for (int c = 0; c < 4; ++c)
    standings_.set_cell(c, row, tag_value(packet, tags[c]));
}

void TtModel::apply_racer_update(QByteArrayView packet) {
  Racer &r = racer(choose_side(packet));
  r.summary.set_cell(0, 0, tag_value(packet, "{name}"));
  r.time = from_8bit(tag_value(packet, "{time}"));
  r.diff = from_8bit(tag_value(packet, "{diff}"));
  r.summary.set_cell(0, 1, result_line(packet));
  r.summary.set_cell(0, 2, tag_value(packet, "{ltg}"));
  r.summary.set_cell(0, 3, tag_value(packet, "{dist}"));
  for (int i = 1; i <= kListLines; ++i)
    r.list.set_cell(0, i, tag_value(packet, numbered_tag("{ltg", i)));
}

void TtModel::apply_list_update(QByteArrayView packet) {
  TextGridModel &list = racer(choose_side(packet)).list;
  for (int i = 1; i <= kListLines; ++i) {
    list.set_cell(1, i, tag_value(packet, numbered_tag("{n", i)));
    list.set_cell(2, i, tag_value(packet, numbered_tag("{d", i)));
  }
}
