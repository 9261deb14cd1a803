#include "rtd_form.h"

#include "rtd/rtd_driver.h"
#include "toolkit/dialogs.h"
#include "toolkit/outer_size.h"

#include <QGroupBox>
#include <QListView>
#include <QShowEvent>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

constexpr int kItemHeight = 11;
constexpr int kListExtent = 3000;

// Every line is 11 px high, and the list scrolls 3000 px sideways.
class RtdLineDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override {
    return QSize(kListExtent, kItemHeight);
  }
};

} // namespace

Trtd_form::Trtd_form(RtdDriver &driver, const Seams &seams, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      driver_(driver), seams_(seams), GroupBox1(new QGroupBox(QStringLiteral("Messages"), this)),
      ListBox1(new QListView(GroupBox1)) {
  setWindowTitle(driver_.caption());
  keep_outer_size(this, QSize(270, 161), false);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::black);
  setPalette(p);

  GroupBox1->setAutoFillBackground(true);
  QPalette gp = GroupBox1->palette();
  gp.setColor(QPalette::Window, QColor(0x00, 0x80, 0x00));
  GroupBox1->setPalette(gp);
  // The group box keeps its design margins to the client area's edges
  // (257 x 129 in a client of 262 x 134) as the window grows.
  auto *outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 5, 5);
  outer->addWidget(GroupBox1);
  auto *inner = new QVBoxLayout(GroupBox1);
  inner->setContentsMargins(4, 12, 8, 4);
  inner->addWidget(ListBox1);
  QPalette lp = ListBox1->palette();
  lp.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
  ListBox1->setPalette(lp);
  QFont f(QStringLiteral("Lucida Console"));
  f.setStyleHint(QFont::Monospace);
  f.setPixelSize(11);
  ListBox1->setFont(f);
  ListBox1->setUniformItemSizes(true);
  ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  ListBox1->setAccessibleName(QStringLiteral("Messages"));
  ListBox1->setItemDelegate(new RtdLineDelegate(ListBox1));
  ListBox1->setModel(driver_.log());

  connect(&driver_, &RtdDriver::caption_changed, this, &QWidget::setWindowTitle);
  connect(&driver_, &RtdDriver::logged, this, &Trtd_form::scroll_to_newest);
  connect(&driver_, &RtdDriver::send_abandoned, this, [this](const QString &why) {
    if (seams_.dialogs)
      seams_.dialogs->general_error(this, why);
  });
}

Trtd_form::~Trtd_form() = default;

void Trtd_form::FormShow() {
  driver_.rtd_show_caption(0);
  driver_.clear_log();
}

void Trtd_form::FormHide() { driver_.close_outputs(); }

void Trtd_form::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous())
    FormShow();
}

void Trtd_form::hideEvent(QHideEvent *event) {
  QWidget::hideEvent(event);
  if (!event->spontaneous())
    FormHide();
}

void Trtd_form::scroll_to_newest() {
  // The second-newest line becomes the first visible one.
  const int count = driver_.log()->rowCount();
  if (count > 2)
    ListBox1->scrollTo(driver_.log()->index(count - 2), QAbstractItemView::PositionAtTop);
}

int Trtd_form::log_top_index() const {
  const QModelIndex top = ListBox1->indexAt(QPoint(1, 1));
  return top.isValid() ? top.row() : -1;
}
