#include "commentator_scratch.h"

#include <QGroupBox>
#include <QLabel>

namespace {

constexpr QSize kClient(840, 666);

} // namespace

Tcommentator_scratch::Tcommentator_scratch(const ScreenColours &colours, QWidget *parent)
    : Tcommentator_scratch(*new ScratchModel(colours), parent) {
  // Created last, the model goes after the views that show it.
  model_.setParent(this);
}

Tcommentator_scratch::Tcommentator_scratch(ScratchModel &model, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), model_(model) {
  set_caption(this, QStringLiteral("Vorevadovid Screen, Scratch / Keiren"));
  set_background(this, QColor(0xA6, 0xCA, 0xF0));

  GroupBox1 = new QGroupBox(QStringLiteral("Event Info / Metrics"), this);
  StringGrid1 = new TextGrid(model_.event_table(), GroupBox1);
  StringGrid1->setAccessibleName(QStringLiteral("Event Info / Metrics"));
  GroupBox2 = new QGroupBox(QStringLiteral("Competitors"), this);
  StringGrid2 = new TextGrid(model_.competitor_table(), GroupBox2);
  StringGrid2->setAccessibleName(QStringLiteral("Competitors"));
  Image1 = make_logo_label(this, QSize(188, 41));
  Image2 = make_logo_label(this, QSize(177, 45));

  const QSize box1(589, 113);
  const QSize box2(810, 517);
  shell_.anchor(Image1, QRect(643, 12, 188, 41), kClient, anchor_top | anchor_right);
  shell_.anchor(Image2, QRect(644, 92, 177, 45), kClient, anchor_top | anchor_right);
  shell_.anchor(GroupBox1, QRect(QPoint(37, 12), box1), kClient, anchor_top);
  shell_.anchor(StringGrid1, QRect(12, 16, 561, 89), box1, anchor_all);
  shell_.anchor(GroupBox2, QRect(QPoint(24, 140), box2), kClient, anchor_all);
  shell_.anchor(StringGrid2, QRect(12, 16, 790, 493), box2, anchor_all);
  resize(kClient);
  badge_.keep_clear({StringGrid1, StringGrid2});
  shell_.on_show([this] { FormShow(); });
  shell_.on_close([this] { emit terminate_requested(); });
}

void Tcommentator_scratch::FormShow() { model_.clear_all(); }
