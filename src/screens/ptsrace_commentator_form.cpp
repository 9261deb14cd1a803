#include "ptsrace_commentator_form.h"

#include "protocol/fields.h"
#include "protocol/text8.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QShowEvent>

namespace {

constexpr QSize kClient(792, 573);
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

QGroupBox *yellow_caption_box(const QString &caption, QWidget *parent) {
  auto *box = new QGroupBox(caption, parent);
  box->setFont(sans_font_px(11, false));
  QPalette p = box->palette();
  p.setColor(QPalette::WindowText, QColor(0xFF, 0xFF, 0x00));
  box->setPalette(p);
  return box;
}

} // namespace

Tptsrace_commentator_form::Tptsrace_commentator_form(const ScreenColours &colours, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      colours_(colours) {
  set_caption(this, QStringLiteral("ptsrace_commentator_form"));
  set_background(this, QColor(0x00, 0x00, 0x80));

  GroupBox1 = yellow_caption_box(QStringLiteral("Standings"), this);
  StringGrid1 = new TextGrid(GroupBox1);
  StringGrid1->setAccessibleName(QStringLiteral("Standings"));
  GroupBox2 = yellow_caption_box(QStringLiteral("Sprints"), this);
  ComboBox1 = new QComboBox(GroupBox2);
  ComboBox1->setEditable(false);
  ComboBox1->setFont(sans_font_px(13, true));
  ComboBox1->setAccessibleName(QStringLiteral("Sprint"));
  StringGrid2 = new TextGrid(GroupBox2);
  StringGrid2->setAccessibleName(QStringLiteral("Sprint result"));
  Image1 = make_logo_label(this, QSize(275, 59));

  for (TextGrid *g : {StringGrid1, StringGrid2}) {
    g->set_grid_lines(true);
    g->set_column_sizing(true);
  }
  StringGrid1->grid().set_font(sans_font_px(16, true));
  StringGrid2->grid().set_font(sans_font_px(19, true));

  const QSize box1(445, 553);
  const QSize box2(325, 265);
  layout_.add(GroupBox1, QRect(QPoint(8, 8), box1), kClient, anchor_all);
  layout_.add(StringGrid1, QRect(12, 16, 421, 525), box1, anchor_all);
  layout_.add(GroupBox2, QRect(QPoint(460, 8), box2), kClient, anchor_top | anchor_right);
  layout_.add(ComboBox1, QRect(16, 20, 289, 24), box2, anchor_left | anchor_top | anchor_right);
  layout_.add(StringGrid2, QRect(8, 52, 313, 205), box2, anchor_top | anchor_right);
  layout_.add(Image1, QRect(506, 492, 275, 59), kClient, anchor_right | anchor_bottom);
  resize(kClient);
  badge_.keep_clear({StringGrid1, ComboBox1, StringGrid2});

  connect(ComboBox1, &QComboBox::activated, this, &Tptsrace_commentator_form::ComboBox1Change);
  FormCreate();
}

void Tptsrace_commentator_form::FormCreate() {
  TextGridModel &s = standings();
  s.set_row_count(kPositions + 1);
  s.set_col_count(8);
  s.set_fixed_rows(1);
  s.set_fixed_cols(0);
  s.set_default_col_width(kStandingsColWidth);
  s.set_col_width(kNameCol, 3 * kStandingsColWidth);
  s.set_col_width(5, 0);
  s.set_col_width(6, 0);

  TextGridModel &t = sprint_table();
  t.set_row_count(kPlaces + 1);
  t.set_col_count(3);
  t.set_fixed_rows(1);
  t.set_fixed_cols(0);
  t.set_default_col_width(kSprintColWidth);
  t.set_col_width(1, 3 * kSprintColWidth);
  write_headings();

  for (int i = 1; i <= kSprints; ++i)
    ComboBox1->addItem(QString::number(i));
  ComboBox1->setCurrentIndex(0);

  StringGrid3.set_row_count(kSprints);
  StringGrid3.set_col_count(2 * kPlaces);
}

void Tptsrace_commentator_form::write_headings() {
  for (int c = 0; c < 8; ++c)
    standings().set_cell(c, 0, kStandingsHeadings[c]);
  for (int c = 0; c < 3; ++c)
    sprint_table().set_cell(c, 0, kSprintHeadings[c]);
}

void Tptsrace_commentator_form::FormShow() {
  standings().set_screen_colours(colours_);
  sprint_table().set_screen_colours(colours_);
  QPalette p = ComboBox1->palette();
  p.setColor(QPalette::Base, colour_from_bgr(colours_.background));
  p.setColor(QPalette::Button, colour_from_bgr(colours_.background));
  p.setColor(QPalette::Text, colour_from_bgr(colours_.text));
  p.setColor(QPalette::ButtonText, colour_from_bgr(colours_.text));
  ComboBox1->setPalette(p);

  const QRect screen = screen_geometry_();
  cover_->cover(screen, true);
  const int factor = screen.width() > kWideScreen ? 6 : 3;
  standings().set_col_width(kNameCol, factor * kStandingsColWidth);
}

void Tptsrace_commentator_form::clear_all() {
  standings().clear_cells();
  sprint_table().clear_cells();
  StringGrid3.clear_cells();
  write_headings();
}

ApplyResult Tptsrace_commentator_form::apply_packet(QByteArrayView packet) {
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
  return ApplyResult::go_on;
}

void Tptsrace_commentator_form::apply_standings_line(QByteArrayView packet, int position) {
  TextGridModel &s = standings();
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

void Tptsrace_commentator_form::store_sprint(QByteArrayView packet, int sprint) {
  // The announcer's choice stays put while another sprint's name changes.
  const int chosen = ComboBox1->currentIndex();
  ComboBox1->setItemText(sprint, from_8bit(tag_value(packet, "{sname}")));
  ComboBox1->setCurrentIndex(chosen);
  ComboBox1->update();
  for (int i = 1; i <= kPlaces; ++i) {
    StringGrid3.set_cell(2 * (i - 1), sprint, tag_value(packet, numbered_tag("{name", i)));
    StringGrid3.set_cell(2 * i - 1, sprint, tag_value(packet, numbered_tag("{pts", i)));
  }
}

void Tptsrace_commentator_form::show_sprint() {
  const int chosen = ComboBox1->currentIndex();
  TextGridModel &t = sprint_table();
  for (int i = 1; i <= kPlaces; ++i) {
    t.set_cell(0, i, QByteArray::number(i));
    t.set_cell(1, i, StringGrid3.cell(2 * (i - 1), chosen));
    t.set_cell(2, i, StringGrid3.cell(2 * i - 1, chosen));
  }
}

void Tptsrace_commentator_form::ComboBox1Change() { show_sprint(); }

void Tptsrace_commentator_form::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous())
    FormShow();
}

void Tptsrace_commentator_form::closeEvent(QCloseEvent *event) {
  event->accept();
  emit terminate_requested();
}

void Tptsrace_commentator_form::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  layout_.apply();
}
