#include "sprintr_commentator_form.h"

#include "protocol/text8.h"

#include <QGroupBox>
#include <QLabel>

namespace {

const QString kCaption = QStringLiteral("Vorevadovid Screen, Sprint");

} // namespace

Tsprintr_commentator_form::Tsprintr_commentator_form(const ScreenColours &colours, QWidget *parent)
    : Tsprintr_commentator_form(*new SprintModel(colours), parent) {
  // Created last, the model goes after the views that show it.
  model_.setParent(this);
}

Tsprintr_commentator_form::Tsprintr_commentator_form(SprintModel &model, QWidget *parent)
    : QWidget(parent, Qt::Window), model_(model) {
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

  StringGrid1 = new TextGrid(model_.heat_table(), GroupBox1);
  StringGrid1->setAccessibleName(QStringLiteral("Heat"));
  StringGrid1->set_scroll_bars(Qt::ScrollBarAlwaysOff, Qt::ScrollBarAlwaysOff);
  StringGrid1->set_grid_lines(true);

  Image1 = make_logo_label(this, QSize(403, 83));
  Image1->setGeometry(190, 438, 403, 83);
  badge_.keep_clear({Label1, StringGrid1});

  connect(&model_, &SprintModel::changed, this, &Tsprintr_commentator_form::show_title);
  FormCreate();
  show_title();
  shell_.on_show([this] { FormShow(); });
  shell_.on_close([this] { emit terminate_requested(); });
}

void Tsprintr_commentator_form::FormCreate() {
  const TextGridModel &t = model_.heat_table();
  // The table is sized to its cells and centred in its box.
  int width = 10;
  for (int c = 0; c < t.col_count(); ++c)
    width += t.col_width(c);
  int height = 10;
  for (int r = 0; r < t.row_count(); ++r)
    height += t.row_height(r);
  StringGrid1->setGeometry((GroupBox1->width() - width) / 2, 56, width, height);
}

void Tsprintr_commentator_form::FormShow() {
  set_caption(this, kCaption);
  model_.read_colours();
}

void Tsprintr_commentator_form::show_title() { show_packet_text(Label1, from_8bit(model_.title())); }
