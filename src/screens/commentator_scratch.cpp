#include "commentator_scratch.h"

#include "protocol/fields.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QShowEvent>

namespace {

constexpr QSize kClient(840, 666);

const char *const kEventHeadings[] = {"Heat Title:", "Time:", "Speed:"};
const char *const kCompetitorHeadings[] = {"Rank", "Bib", "Competitor", "NAT", "Status", "Laps-"};
const char *const kCompetitorTags[] = {"{rank}", "{bib}", "{name}", "{nat}", "{status}", "{laps}"};

} // namespace

Tcommentator_scratch::Tcommentator_scratch(const ScreenColours &colours, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  set_caption(this, QStringLiteral("Vorevadovid Screen, Scratch / Keiren"));
  set_background(this, QColor(0xA6, 0xCA, 0xF0));

  GroupBox1 = new QGroupBox(QStringLiteral("Event Info / Metrics"), this);
  StringGrid1 = new TextGrid(GroupBox1);
  StringGrid1->setAccessibleName(QStringLiteral("Event Info / Metrics"));
  GroupBox2 = new QGroupBox(QStringLiteral("Competitors"), this);
  StringGrid2 = new TextGrid(GroupBox2);
  StringGrid2->setAccessibleName(QStringLiteral("Competitors"));
  Image1 = make_logo_label(this, QSize(188, 41));
  Image2 = make_logo_label(this, QSize(177, 45));

  const QSize box1(589, 113);
  const QSize box2(810, 517);
  layout_.add(Image1, QRect(643, 12, 188, 41), kClient, anchor_top | anchor_right);
  layout_.add(Image2, QRect(644, 92, 177, 45), kClient, anchor_top | anchor_right);
  layout_.add(GroupBox1, QRect(QPoint(37, 12), box1), kClient, anchor_top);
  layout_.add(StringGrid1, QRect(12, 16, 561, 89), box1, anchor_all);
  layout_.add(GroupBox2, QRect(QPoint(24, 140), box2), kClient, anchor_all);
  layout_.add(StringGrid2, QRect(12, 16, 790, 493), box2, anchor_all);
  resize(kClient);
  badge_.keep_clear({StringGrid1, StringGrid2});

  FormCreate(colours);
}

void Tcommentator_scratch::FormCreate(const ScreenColours &colours) {
  TextGridModel &event = event_table();
  event.set_col_count(2);
  event.set_row_count(3);
  event.set_col_width(0, 140);
  event.set_col_width(1, 400);
  event.set_screen_colours(colours);
  event.set_fixed_cols(0);
  event.set_fixed_rows(0);
  event.set_font(sans_font_px(19, true));

  TextGridModel &competitors = competitor_table();
  competitors.set_col_count(6);
  competitors.set_row_count(kLines + 1);
  const int widths[] = {60, 60, 360, 60, 60, 60};
  for (int c = 0; c < 6; ++c)
    competitors.set_col_width(c, widths[c]);
  competitors.set_screen_colours(colours);
  competitors.set_fixed_cols(0);
  competitors.set_fixed_rows(1);
  competitors.set_font(sans_font_px(16, true));

  clear_all();
}

void Tcommentator_scratch::FormShow() { clear_all(); }

void Tcommentator_scratch::clear_all() {
  TextGridModel &event = event_table();
  TextGridModel &competitors = competitor_table();
  event.clear_cells();
  competitors.clear_cells();
  for (int r = 0; r < 3; ++r)
    event.set_cell(0, r, kEventHeadings[r]);
  for (int c = 0; c < 6; ++c)
    competitors.set_cell(c, 0, kCompetitorHeadings[c]);
}

ApplyResult Tcommentator_scratch::apply_packet(QByteArrayView packet) {
  if (is_flag(packet, "{clr}")) {
    clear_all();
    return ApplyResult::stop;
  }
  if (has_tag(packet, "{title}")) {
    // A new heat: the competitor lines of the last one go with it.
    clear_all();
    TextGridModel &event = event_table();
    event.set_cell(1, 0, tag_value(packet, "{title}"));
    event.set_cell(1, 1, tag_value(packet, "{time}"));
    event.set_cell(1, 2, tag_value(packet, "{spd}"));
    return ApplyResult::go_on;
  }
  const int line = leading_number(tag_value(packet, "{list}"));
  if (line < 0 || line >= kLines)
    return ApplyResult::go_on;
  // Each line comes whole: an absent tag empties its cell.
  TextGridModel &competitors = competitor_table();
  for (int c = 0; c < 6; ++c)
    competitors.set_cell(c, line + 1, tag_value(packet, kCompetitorTags[c]));
  return ApplyResult::go_on;
}

void Tcommentator_scratch::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous())
    FormShow();
}

void Tcommentator_scratch::closeEvent(QCloseEvent *event) {
  event->accept();
  emit terminate_requested();
}

void Tcommentator_scratch::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  layout_.apply();
}
