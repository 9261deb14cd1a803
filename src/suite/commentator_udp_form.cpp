#include "commentator_udp_form.h"

#include "suite/broadcast_queue.h"
#include "toolkit/outer_size.h"

#include <QEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>

TCommentator_udp_form::TCommentator_udp_form(BroadcastQueue &queue, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      queue_(queue), ListBox1(new QListWidget(this)) {
  setWindowTitle(QStringLiteral("Commentator_udp_form"));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::red);
  setPalette(pal);
  setAutoFillBackground(true);

  ListBox1->setGeometry(16, 4, 673, 101);
  ListBox1->setStyleSheet(QStringLiteral("background: white"));
  // A double click anywhere on the list, on an item or not, empties it.
  ListBox1->viewport()->installEventFilter(this);
  FormCreate();
}

TCommentator_udp_form::~TCommentator_udp_form() = default;

void TCommentator_udp_form::FormCreate() {
  // Along the top edge of the screen, as wide as the screen frame included;
  // the frame is measured again once the window manager has framed it.
  move(0, 0);
  new OuterSize(
      this,
      [this](const QMargins &frame) {
        QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        const int outer = screen ? screen->geometry().width() : 701 + frame.left() + frame.right();
        return QSize(qMax(100, outer - frame.left() - frame.right()), 113);
      },
      true);
}

void TCommentator_udp_form::ListBox1DblClick() { ListBox1->clear(); }

void TCommentator_udp_form::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  ListBox1->resize(width() - 28, ListBox1->height()); // keeps its right margin
}

bool TCommentator_udp_form::eventFilter(QObject *watched, QEvent *event) {
  if (watched == ListBox1->viewport() && event->type() == QEvent::MouseButtonDblClick)
    ListBox1DblClick();
  return QWidget::eventFilter(watched, event);
}
