#include "omnium_commentator_form.h"

#include "protocol/fields.h"

#include <QGroupBox>
#include <QLabel>
#include <QShowEvent>

#include <optional>

namespace {

constexpr QSize kClient(792, 573);
const QString kCaption = QStringLiteral("Vorevadovid Screen, Omnium");

// A count or line number: the value as a short text, read strictly.
std::optional<int> strict_value(QByteArrayView packet, QByteArrayView tag) {
  return strict_number(short_text(tag_value(packet, tag)));
}

} // namespace

void clear_grid(TextGridModel &grid) { grid.clear_cells(); }

Tomnium_commentator_form::Tomnium_commentator_form(const ScreenColours &, QWidget *parent)
    : QWidget(parent, Qt::Window) {
  set_caption(this, kCaption);
  GroupBox1 = new QGroupBox(QStringLiteral("Results"), this);
  set_background(GroupBox1, QColor(0x69, 0x69, 0xE7));
  SG1 = new TextGrid(GroupBox1);
  SG1->setAccessibleName(QStringLiteral("Results"));
  Image1 = make_logo_label(this, QSize(273, 57));
  Image2 = make_logo_label(this, QSize(229, 67));

  const QSize box(773, 453);
  layout_.add(GroupBox1, QRect(QPoint(8, 8), box), kClient, anchor_all);
  layout_.add(SG1, QRect(8, 20, 755, 425), box, anchor_all);
  layout_.add(Image1, QRect(76, 504, 273, 57), kClient, anchor_bottom);
  layout_.add(Image2, QRect(474, 500, 229, 67), kClient, anchor_bottom);
  resize(kClient);
  badge_.keep_clear({SG1});

  FormCreate();
}

void Tomnium_commentator_form::FormCreate() {
  TextGridModel &g = results();
  g.set_colours(Qt::white, Qt::black, QColor(0xE0, 0xE0, 0xFE));
  reset_grid();
}

void Tomnium_commentator_form::FormShow() {
  set_caption(this, kCaption);
  cover_->cover(screen_geometry_(), false);
}

void Tomnium_commentator_form::reset_grid() {
  TextGridModel &g = results();
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
}

ApplyResult Tomnium_commentator_form::apply_packet(QByteArrayView packet) {
  if (is_flag(packet, "{clr}")) {
    reset_grid();
    return ApplyResult::stop;
  }
  TextGridModel &g = results();
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

void Tomnium_commentator_form::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous())
    FormShow();
}

void Tomnium_commentator_form::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  layout_.apply();
}
