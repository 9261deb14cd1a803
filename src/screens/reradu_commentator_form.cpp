#include "reradu_commentator_form.h"

#include "protocol/text8.h"
#include "toolkit/kept_item_delegate.h"
#include "toolkit/view_changes.h"

#include <QAccessible>
#include <QListWidget>

namespace {

constexpr int kLineHeight = 48;
// Room for pictures of the lines: a line is some 180 KB, so about three
// frames' worth.
constexpr qsizetype kLinePictureBytes = 4 << 20;

QFont terminal_font() {
  QFont f = fixed_font_px(47, true);
  f.setFamilies({QStringLiteral("Terminal"), f.family()});
  f.setStyleHint(QFont::TypeWriter);
  return f;
}

// A list view repaints all it shows when one line changes. A frame changes a
// line or two: the lines that changed are repainted, each by itself. A screen
// reader hears of the change through the view's own handling.
void repaint_changed_lines_only(QListWidget *list) {
  stop_view_handling_changes(list);
  QObject::connect(list->model(), &QAbstractItemModel::dataChanged, list,
                   [list](const QModelIndex &first, const QModelIndex &last, const QList<int> &roles) {
                     if (QAccessible::isActive() || first != last) {
                       pass_change_to_view(list, first, last, roles);
                       return;
                     }
                     list->viewport()->update(list->visualRect(first));
                   });
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
  listbox1->setItemDelegate(new KeptItemDelegate(kLinePictureBytes, listbox1));
  repaint_changed_lines_only(listbox1);
  badge_.keep_clear({listbox1});
  connect(&model_, &ReraduScreenModel::changed, this, &Treradu_commentator_form::show_lines);
  show_lines();
}

void Treradu_commentator_form::show_lines() {
  // Lines are replaced in place: a frame that changes one line repaints that
  // line, not the whole list, and one that changes none repaints nothing.
  const QList<QByteArray> &lines = model_.lines();
  while (listbox1->count() > lines.size())
    delete listbox1->takeItem(listbox1->count() - 1);
  for (qsizetype n = 0; n < lines.size(); ++n) {
    const QString text = from_8bit(lines[n]);
    if (n < listbox1->count()) {
      QListWidgetItem *item = listbox1->item(int(n));
      if (item->text() != text)
        item->setText(text);
      continue;
    }
    auto *item = new QListWidgetItem(text, listbox1);
    item->setSizeHint(QSize(0, kLineHeight));
  }
}
