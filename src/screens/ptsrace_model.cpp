#include "ptsrace_model.h"

#include "protocol/fields.h"
#include "protocol/text8.h"
#include "screen_support.h"

namespace {

constexpr int kStandingsColWidth = 40;
constexpr int kSprintColWidth = 60;
constexpr int kNameCol = 1;
// The name column is wider on screens wider than this.
constexpr int kWideScreen = 800;

// Standings columns and their tags; the name column is built from two.
const char *const kStandingsTags[] = {"{rnk}", nullptr, "{status}", "{pts}",
                                      "{laps}", "{vics}", "{secs}", "{final}"};
const char *const kStandingsHeadings[] = {"Rank", "Name", "Status", "Pts", "Laps", "", "", "Final"};
const char *const kSprintHeadings[] = {"Rank", "Name", "Points"};

// Both tables: a heading row over rows of bold text, the name column three
// columns wide.
void shape_table(TextGridModel &t, int font_px, int rows, int cols, int col_width) {
  t.set_font(sans_font_px(font_px, true));
  t.set_row_count(rows);
  t.set_col_count(cols);
  t.set_fixed_rows(1);
  t.set_fixed_cols(0);
  t.set_default_col_width(col_width);
  t.set_col_width(kNameCol, 3 * col_width);
}

} // namespace

PtsraceModel::PtsraceModel(const ScreenColours &colours, QObject *parent)
    : QObject(parent), colours_(colours) {
  shape_table(standings_, 16, kPositions + 1, 8, kStandingsColWidth);
  standings_.set_col_width(5, 0);
  standings_.set_col_width(6, 0);
  shape_table(sprint_table_, 19, kPlaces + 1, 3, kSprintColWidth);
  write_headings();

  for (int i = 1; i <= kSprints; ++i)
    chooser_entries_.append(QString::number(i));

  sprint_store_.set_row_count(kSprints);
  sprint_store_.set_col_count(2 * kPlaces);
}

void PtsraceModel::write_headings() {
  for (int c = 0; c < 8; ++c)
    standings_.set_cell(c, 0, kStandingsHeadings[c]);
  for (int c = 0; c < 3; ++c)
    sprint_table_.set_cell(c, 0, kSprintHeadings[c]);
}

void PtsraceModel::read_colours(int screen_width) {
  standings_.set_screen_colours(colours_);
  sprint_table_.set_screen_colours(colours_);
  const int factor = screen_width > kWideScreen ? 6 : 3;
  standings_.set_col_width(kNameCol, factor * kStandingsColWidth);
  emit changed();
}

void PtsraceModel::clear_all() {
  standings_.clear_cells();
  sprint_table_.clear_cells();
  sprint_store_.clear_cells();
  write_headings();
  emit changed();
}

ApplyResult PtsraceModel::apply_packet(QByteArrayView packet) {
  if (is_flag(packet, "{clr}")) {
    clear_all();
    return ApplyResult::stop;
  }
  const QByteArrayView position = tag_value(packet, "{standings}");
  if (!position.isEmpty())
    apply_standings_line(packet, leading_number(position));
  const QByteArrayView sprint = tag_value(packet, "{sprint}");
  if (!sprint.isEmpty()) {
    const int s = leading_number(sprint);
    if (s >= 0 && s < kSprints)
      store_sprint(packet, s);
    show_sprint();
  }
  emit changed();
  return ApplyResult::go_on;
}

void PtsraceModel::apply_standings_line(QByteArrayView packet, int position) {
  TextGridModel &s = standings_;
  // Position 0 starts a new list.
  if (position == 0)
    for (int r = 1; r <= kPositions; ++r)
      s.clear_row(r);
  if (position < 0 || position >= kPositions)
    return;
  const int row = position + 1;
  for (int c = 0; c < 8; ++c) {
    if (c == kNameCol) {
      QByteArray name = tag_value(packet, "{bib}").toByteArray();
      name.append(' ').append(tag_value(packet, "{name}"));
      s.set_cell(c, row, name);
      continue;
    }
    s.set_cell(c, row, tag_value(packet, kStandingsTags[c]));
  }
}

void PtsraceModel::store_sprint(QByteArrayView packet, int sprint) {
  // The announcer's choice stays put while another sprint's name changes.
  chooser_entries_[sprint] = from_8bit(tag_value(packet, "{sname}"));
  for (int i = 1; i <= kPlaces; ++i) {
    sprint_store_.set_cell(2 * (i - 1), sprint, tag_value(packet, numbered_tag("{name", i)));
    sprint_store_.set_cell(2 * i - 1, sprint, tag_value(packet, numbered_tag("{pts", i)));
  }
}

void PtsraceModel::show_sprint() {
  TextGridModel &t = sprint_table_;
  for (int i = 1; i <= kPlaces; ++i) {
    t.set_cell(0, i, QByteArray::number(i));
    t.set_cell(1, i, sprint_store_.cell(2 * (i - 1), chosen_));
    t.set_cell(2, i, sprint_store_.cell(2 * i - 1, chosen_));
  }
}

void PtsraceModel::choose(int sprint) {
  if (sprint < 0 || sprint >= kSprints)
    return;
  chosen_ = sprint;
  show_sprint();
  emit changed();
}
