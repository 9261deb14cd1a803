#include "commentator_udp_form.h"

#include "toolkit/outer_size.h"

#include <QEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QTimer>
#include <QUdpSocket>

TCommentator_udp_form::TCommentator_udp_form(BroadcastState &state,
                                             const QHostAddress &destination, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      state_(state), destination_(destination), socket_(new QUdpSocket(this)),
      Timer1(new QTimer(this)), ListBox1(new QListWidget(this)) {
  setWindowTitle(QStringLiteral("Commentator_udp_form"));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::red);
  setPalette(pal);
  setAutoFillBackground(true);

  ListBox1->setGeometry(16, 4, 673, 101);
  ListBox1->setStyleSheet(QStringLiteral("background: white"));
  // A double click anywhere on the list, on an item or not, empties it.
  ListBox1->viewport()->installEventFilter(this);

  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &TCommentator_udp_form::Timer1Timer);
  FormCreate();
}

TCommentator_udp_form::~TCommentator_udp_form() = default;

void TCommentator_udp_form::FormCreate() {
  Timer1->stop();
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
  for (QByteArray &slot : state_.broadcast_queue)
    slot.clear();
}

bool TCommentator_udp_form::open_socket() {
  if (socket_open())
    return true;
  return socket_->bind(QHostAddress::AnyIPv4, 0);
}

bool TCommentator_udp_form::socket_open() const {
  return socket_->state() == QAbstractSocket::BoundState;
}

void TCommentator_udp_form::Timer1Timer() {
  if (state_.queue_count <= 0)
    return;
  if (state_.broadcast_port == 0)
    return;
  if (!socket_open())
    return;
  const QByteArray datagram = state_.broadcast_queue[0] + "{eop}";
  if (socket_->writeDatagram(datagram, destination_, quint16(state_.broadcast_port)) !=
      datagram.size())
    return; // kept at the head; the next tick tries again
  const int count = qMin(state_.queue_count, BroadcastState::kQueueSlots);
  for (int i = 1; i < count; ++i)
    state_.broadcast_queue[i - 1] = state_.broadcast_queue[i];
  state_.broadcast_queue[count - 1].clear();
  state_.queue_count = count - 1;
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
