#include "reradu_commentator_form.h"

#include "protocol/fields.h"
#include "protocol/text8.h"
#include "screen_support.h"

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
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
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
}

ApplyResult Treradu_commentator_form::apply_packet(QByteArrayView packet) {
  listbox1->clear();
  lines_.clear();
  // Field 1 is the kind tag and what follows it; fields 2 to 9 are the lines.
  for (int n = 2; n <= kLines + 1; ++n) {
    const QByteArray line = comma_field(packet, n).toByteArray();
    lines_.append(line);
    auto *item = new QListWidgetItem(from_8bit(line), listbox1);
    item->setSizeHint(QSize(0, kLineHeight));
  }
  return ApplyResult::go_on;
}
