#include "ptsrace_commentator_form.h"

#include "toolkit/kept_frame.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace {

constexpr QSize kClient(792, 573);

QGroupBox *yellow_caption_box(const QString &caption, QWidget *parent) {
  auto *box = new QGroupBox(caption, parent);
  box->setFont(sans_font_px(11, false));
  QPalette p = box->palette();
  p.setColor(QPalette::WindowText, QColor(0xFF, 0xFF, 0x00));
  box->setPalette(p);
  keep_frame_pictures(box);
  return box;
}

} // namespace

Tptsrace_commentator_form::Tptsrace_commentator_form(const ScreenColours &colours, QWidget *parent)
    : Tptsrace_commentator_form(*new PtsraceModel(colours), parent) {
  // Created last, the model goes after the views that show it.
  model_.setParent(this);
}

Tptsrace_commentator_form::Tptsrace_commentator_form(PtsraceModel &model, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      model_(model) {
  set_caption(this, QStringLiteral("ptsrace_commentator_form"));
  set_background(this, QColor(0x00, 0x00, 0x80));

  GroupBox1 = yellow_caption_box(QStringLiteral("Standings"), this);
  StringGrid1 = new TextGrid(model_.standings(), GroupBox1);
  StringGrid1->setAccessibleName(QStringLiteral("Standings"));
  GroupBox2 = yellow_caption_box(QStringLiteral("Sprints"), this);
  ComboBox1 = new QComboBox(GroupBox2);
  ComboBox1->setEditable(false);
  ComboBox1->setFont(sans_font_px(13, true));
  ComboBox1->setAccessibleName(QStringLiteral("Sprint"));
  // Painted on the box's own colour: a new sprint then repaints the list
  // alone, not the box and the window behind its rounded corners.
  ComboBox1->setAutoFillBackground(true);
  StringGrid2 = new TextGrid(model_.sprint_table(), GroupBox2);
  StringGrid2->setAccessibleName(QStringLiteral("Sprint result"));
  Image1 = make_logo_label(this, QSize(275, 59));

  for (TextGrid *g : {StringGrid1, StringGrid2}) {
    g->set_grid_lines(true);
    g->set_column_sizing(true);
  }

  const QSize box1(445, 553);
  const QSize box2(325, 265);
  shell_.anchor(GroupBox1, QRect(QPoint(8, 8), box1), kClient, anchor_all);
  shell_.anchor(StringGrid1, QRect(12, 16, 421, 525), box1, anchor_all);
  shell_.anchor(GroupBox2, QRect(QPoint(460, 8), box2), kClient, anchor_top | anchor_right);
  shell_.anchor(ComboBox1, QRect(16, 20, 289, 24), box2, anchor_left | anchor_top | anchor_right);
  shell_.anchor(StringGrid2, QRect(8, 52, 313, 205), box2, anchor_top | anchor_right);
  shell_.anchor(Image1, QRect(506, 492, 275, 59), kClient, anchor_right | anchor_bottom);
  resize(kClient);
  badge_.keep_clear({StringGrid1, ComboBox1, StringGrid2});
  shell_.on_show([this] { FormShow(); });
  shell_.on_close([this] { emit terminate_requested(); });

  connect(ComboBox1, &QComboBox::activated, this, &Tptsrace_commentator_form::ComboBox1Change);
  connect(&model_, &PtsraceModel::changed, this, &Tptsrace_commentator_form::show_chooser);
  show_chooser();
}

void Tptsrace_commentator_form::show_chooser() {
  // Repainted when an entry or the choice changed; a standings line leaves
  // the chooser as it was, and so does its picture.
  const QStringList &entries = model_.chooser_entries();
  bool changed = false;
  // The model's list is shared with the copy kept here until the model
  // changes it: most datagrams leave it alone, and comparing the same list
  // is one comparison.
  const bool same_entries = entries == shown_entries_;
  shown_entries_ = entries;
  for (int i = 0; i < entries.size() && !same_entries; ++i) {
    if (i >= ComboBox1->count()) {
      ComboBox1->addItem(entries[i]);
      changed = true;
    } else if (ComboBox1->itemText(i) != entries[i]) {
      ComboBox1->setItemText(i, entries[i]);
      changed = true;
    }
  }
  if (ComboBox1->currentIndex() != model_.chosen()) {
    ComboBox1->setCurrentIndex(model_.chosen());
    changed = true;
  }
  if (changed)
    ComboBox1->update();
}

void Tptsrace_commentator_form::FormShow() {
  const ScreenColours &colours = model_.colours();
  QPalette p = ComboBox1->palette();
  p.setColor(QPalette::Base, colour_from_bgr(colours.background));
  p.setColor(QPalette::Button, colour_from_bgr(colours.background));
  p.setColor(QPalette::Text, colour_from_bgr(colours.text));
  p.setColor(QPalette::ButtonText, colour_from_bgr(colours.text));
  ComboBox1->setPalette(p);

  const QRect screen = shell_.cover_screen(true);
  model_.read_colours(screen.width());
}

void Tptsrace_commentator_form::ComboBox1Change() { model_.choose(ComboBox1->currentIndex()); }
