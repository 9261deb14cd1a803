#include "omnium_model.h"

#include "protocol/fields.h"
#include "screen_support.h"

#include <optional>

namespace {

// A count or line number: the value as a short text, read strictly.
std::optional<int> strict_value(QByteArrayView packet, QByteArrayView tag) {
  return strict_number(short_text(tag_value(packet, tag)));
}

} // namespace

void clear_grid(TextGridModel &grid) { grid.clear_cells(); }

OmniumModel::OmniumModel(QObject *parent) : QObject(parent) {
  // The table does not use the shared screen colours.
  results_.set_colours(Qt::white, Qt::black, QColor(0xE0, 0xE0, 0xFE));
  reset_grid();
}

void OmniumModel::reset_grid() {
  TextGridModel &g = results_;
  g.set_row_count(26);
  g.set_col_count(99);
  g.set_default_col_width(60);
  const int widths[] = {50, 50, 300, 40};
  for (int c = 0; c < 4; ++c)
    g.set_col_width(c, widths[c]);
  g.set_default_row_height(24);
  g.set_font(sans_font_pt(14, false));
  g.set_fixed_cols(0);
  g.set_fixed_rows(1);
  clear_grid(g);
  emit changed();
}

ApplyResult OmniumModel::apply_packet(QByteArrayView packet) {
  if (is_flag(packet, "{clr}")) {
    reset_grid();
    return ApplyResult::stop;
  }
  const ApplyResult result = apply_counts_and_line(packet);
  emit changed();
  return result;
}

ApplyResult OmniumModel::apply_counts_and_line(QByteArrayView packet) {
  TextGridModel &g = results_;
  // The counts are set one by one: a later bad number leaves them set.
  if (!short_text(tag_value(packet, "{lines}")).isEmpty()) {
    const std::optional<int> rows = strict_value(packet, "{lines}");
    if (!rows)
      return ApplyResult::failed;
    g.set_row_count(*rows);
  }
  if (!short_text(tag_value(packet, "{cols}")).isEmpty()) {
    const std::optional<int> cols = strict_value(packet, "{cols}");
    if (!cols)
      return ApplyResult::failed;
    g.set_col_count(*cols);
  }
  const std::optional<int> line = strict_value(packet, "{line}");
  if (!line)
    return ApplyResult::failed;
  if (*line < 0 || *line >= g.row_count())
    return ApplyResult::go_on;
  // Every column of the line is written; an empty heading hides its column.
  for (int c = 0; c < g.col_count(); ++c) {
    const QByteArrayView v = short_text(tag_value_unbounded(packet, numbered_tag("{", c)));
    if (*line == 0 && v.isEmpty())
      g.set_col_width(c, 1);
    g.set_cell(c, *line, v);
  }
  return ApplyResult::go_on;
}
