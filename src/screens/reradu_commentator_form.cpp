#include "reradu_commentator_form.h"

#include "protocol/text8.h"

#include <QListWidget>

namespace {

constexpr int kLineHeight = 48;

QFont terminal_font() {
  QFont f = fixed_font_px(47, true);
  f.setFamilies({QStringLiteral("Terminal"), f.family()});
  f.setStyleHint(QFont::TypeWriter);
  return f;
}

} // namespace

Treradu_commentator_form::Treradu_commentator_form(const ScreenColours &, QWidget *parent)
    : Treradu_commentator_form(*new ReraduScreenModel, parent) {
  // Created last, the model goes after the view that shows it.
  model_.setParent(this);
}

Treradu_commentator_form::Treradu_commentator_form(ReraduScreenModel &model, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      model_(model) {
  set_caption(this, QStringLiteral("reradu_commentator_form"));
  const QColor green(0xC0, 0xDC, 0xC0);
  set_background(this, green);
  setFixedSize(958, 603);

  listbox1 = new QListWidget(this);
  listbox1->setGeometry(16, 12, 937, 577);
  listbox1->setAccessibleName(QStringLiteral("Frame"));
  QPalette p = listbox1->palette();
  p.setColor(QPalette::Base, green);
  p.setColor(QPalette::Text, Qt::black);
  listbox1->setPalette(p);
  listbox1->setFont(terminal_font());
  listbox1->setUniformItemSizes(true);
  listbox1->setSelectionMode(QAbstractItemView::NoSelection);
  listbox1->setFocusPolicy(Qt::NoFocus);
  badge_.keep_clear({listbox1});
  connect(&model_, &ReraduScreenModel::changed, this, &Treradu_commentator_form::show_lines);
  show_lines();
}

void Treradu_commentator_form::show_lines() {
  listbox1->clear();
  for (const QByteArray &line : model_.lines()) {
    auto *item = new QListWidgetItem(from_8bit(line), listbox1);
    item->setSizeHint(QSize(0, kLineHeight));
  }
}
