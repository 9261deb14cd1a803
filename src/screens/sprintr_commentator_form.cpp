#include "sprintr_commentator_form.h"

#include "protocol/fields.h"
#include "protocol/text8.h"
#include "screen_support.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QShowEvent>

namespace {

const QString kCaption = QStringLiteral("Vorevadovid Screen, Sprint");
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

Tsprintr_commentator_form::Tsprintr_commentator_form(const ScreenColours &colours, QWidget *parent)
    : QWidget(parent, Qt::Window), colours_(colours) {
  set_caption(this, kCaption);
  set_background(this, QColor(0x00, 0x00, 0xFF));
  // Nothing follows the window's edges: every control keeps its design place.
  resize(770, 547);

  GroupBox1 = new QGroupBox(this);
  GroupBox1->setGeometry(36, 8, 697, 325);
  set_background(GroupBox1, QColor(128, 128, 128));

  Label1 = new QLabel(GroupBox1);
  Label1->setGeometry(8, 12, 681, 37);
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setFont(sans_font_px(24, true));
  set_up_packet_label(Label1, QStringLiteral("Heat title"));
  QPalette p = Label1->palette();
  p.setColor(QPalette::Window, Qt::black);
  p.setColor(QPalette::WindowText, QColor(0xFF, 0xFF, 0x00));
  Label1->setPalette(p);
  Label1->setAutoFillBackground(true);

  StringGrid1 = new TextGrid(GroupBox1);
  StringGrid1->setAccessibleName(QStringLiteral("Heat"));
  StringGrid1->set_scroll_bars(Qt::ScrollBarAlwaysOff, Qt::ScrollBarAlwaysOff);
  StringGrid1->set_grid_lines(true);

  Image1 = make_logo_label(this, QSize(403, 83));
  Image1->setGeometry(190, 438, 403, 83);
  badge_.keep_clear({Label1, StringGrid1});

  FormCreate();
}

void Tsprintr_commentator_form::FormCreate() {
  TextGridModel &t = heat_table();
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

  // The table is sized to its cells and centred in its box.
  int width = 10;
  for (int c = 0; c < kCols; ++c)
    width += t.col_width(c);
  int height = 10;
  for (int r = 0; r < kRows; ++r)
    height += t.row_height(r);
  StringGrid1->setGeometry((GroupBox1->width() - width) / 2, 56, width, height);
}

void Tsprintr_commentator_form::FormShow() {
  set_caption(this, kCaption);
  heat_table().set_screen_colours(colours_);
  heat_table().set_font(sans_font_pt(18, true));
}

ApplyResult Tsprintr_commentator_form::apply_packet(QByteArrayView packet) {
  title_ = tag_value(packet, "{title}").toByteArray();
  show_packet_text(Label1, from_8bit(title_));
  TextGridModel &t = heat_table();
  for (const HeatCell &c : kHeatCells)
    t.set_cell(c.col, c.row, tag_value(packet, c.tag));
  return ApplyResult::go_on;
}

void Tsprintr_commentator_form::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous())
    FormShow();
}

void Tsprintr_commentator_form::closeEvent(QCloseEvent *event) {
  event->accept();
  emit terminate_requested();
}
