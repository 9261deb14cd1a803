#include "omnium_commentator_form.h"

#include <QGroupBox>
#include <QLabel>

namespace {

constexpr QSize kClient(792, 573);
const QString kCaption = QStringLiteral("Vorevadovid Screen, Omnium");

} // namespace

Tomnium_commentator_form::Tomnium_commentator_form(const ScreenColours &, QWidget *parent)
    : Tomnium_commentator_form(*new OmniumModel, parent) {
  // Created last, the model goes after the views that show it.
  model_.setParent(this);
}

Tomnium_commentator_form::Tomnium_commentator_form(OmniumModel &model, QWidget *parent)
    : QWidget(parent, Qt::Window), model_(model) {
  set_caption(this, kCaption);
  GroupBox1 = new QGroupBox(QStringLiteral("Results"), this);
  set_background(GroupBox1, QColor(0x69, 0x69, 0xE7));
  SG1 = new TextGrid(model_.results(), GroupBox1);
  SG1->setAccessibleName(QStringLiteral("Results"));
  Image1 = make_logo_label(this, QSize(273, 57));
  Image2 = make_logo_label(this, QSize(229, 67));

  const QSize box(773, 453);
  shell_.anchor(GroupBox1, QRect(QPoint(8, 8), box), kClient, anchor_all);
  shell_.anchor(SG1, QRect(8, 20, 755, 425), box, anchor_all);
  shell_.anchor(Image1, QRect(76, 504, 273, 57), kClient, anchor_bottom);
  shell_.anchor(Image2, QRect(474, 500, 229, 67), kClient, anchor_bottom);
  resize(kClient);
  badge_.keep_clear({SG1});
  shell_.on_show([this] { FormShow(); });
}

void Tomnium_commentator_form::FormShow() {
  set_caption(this, kCaption);
  shell_.cover_screen(false);
}
