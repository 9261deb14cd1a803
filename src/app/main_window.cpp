#include "main_window.h"

#include "ip_settings_dialog.h"
#include "listening_address.h"
#include "protocol/fields.h"
#include "protocol/text8.h"
#include "toolkit/dialogs.h"
#include "toolkit/logo.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QScrollBar>

#include <algorithm>
#include <utility>

namespace {

QFont sans(int pixels, bool bold, bool italic = false) {
  QFont f(QStringLiteral("Sans Serif"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  f.setItalic(italic);
  return f;
}

QLabel *make_label(QWidget *parent, const QString &text, QRect geometry, const QFont &font,
                   const char *colour) {
  auto *l = new QLabel(text, parent);
  // Some show the listening address from the file: never read as markup.
  l->setTextFormat(Qt::PlainText);
  l->setGeometry(geometry);
  // The design boxes were made for a narrower face: never cut the text.
  l->setMinimumWidth(geometry.width());
  l->setFont(font);
  l->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(colour));
  return l;
}

// What the operator typed, as 8-bit text cut to a short text.
QByteArray short_text_of(const QString &typed) { return to_8bit(typed).left(255); }

void fit_label(QLabel *l) {
  l->resize(std::max(l->minimumWidth(), l->sizeHint().width()), l->height());
}

const QString kStandBy = QStringLiteral("stand by until TCP/IP packets received.......");

// Under the packet log, as wide as it.
constexpr QRect kFeedLine(8, 605, 785, 22);

// Text and background of the feed line at each level.
struct LevelColours {
  const char *text;
  const char *background;
};
LevelColours level_colours(FeedLevel level) {
  switch (level) {
  case FeedLevel::waiting:
    return {"#C0C0C0", "#000080"};
  case FeedLevel::ok:
    return {"#80FF80", "#000080"};
  case FeedLevel::amber:
    return {"#000000", "#FFBF00"};
  case FeedLevel::red:
    return {"#FFFFFF", "#C00000"};
  }
  return {"#C0C0C0", "#000080"};
}

} // namespace

Tcommentator0_form::Tcommentator0_form(AppState &state, QWidget *parent)
    : QMainWindow(parent), state_(state),
      feed_(state.seams.now_ms ? state.seams.now_ms : FeedHealth::Clock(wall_clock_ms)),
      // Screens come to the front at most once per display frame: a busy
      // mixed feed would otherwise restack and activate windows thousands of
      // times a second.
      front_frame_([this] { bring_forward(); }) {
  run_ip_dialog = [](Tip_listening_address_form &d) { return d.exec() == QDialog::Accepted; };
  receiver_.set_handler([this](QByteArrayView datagram, QByteArrayView sender, int listener) {
    handle_datagram(datagram, sender, listener);
  });

  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  auto *client = new QWidget(this);
  client->setAutoFillBackground(true);
  QPalette p = client->palette();
  p.setColor(QPalette::Window, QColor(0x00, 0x00, 0x80));
  client->setPalette(p);
  setCentralWidget(client);

  Image1 = new QLabel(client);
  Image1->setGeometry(200, 4, 431, 85);
  Image1->setPixmap(make_logo(QSize(431, 85)));
  Image1->setAccessibleName(QStringLiteral("Trackora logo"));
  Label1 = make_label(client, QStringLiteral("Trackora Vorevadovid Screen"), {156, 238, 520, 37},
                      sans(32, true, true), "#FFFF00");
  Label3 = make_label(client, kStandBy, {204, 288, 400, 24}, sans(19, true), "#C0C0C0");
  Label2 = make_label(client, kStandBy, {204, 324, 411, 24}, sans(19, true, true), "#FFFF00");
  fit_label(Label1);
  fit_label(Label2);

  ListBox1 = new PacketLogView(client);
  ListBox1->setGeometry(8, 360, 785, 241);
  ListBox1->setModel(&log_);
  ListBox1->setUniformItemSizes(true);
  ListBox1->setFont(sans(11, false));
  ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListBox1->setAccessibleName(QStringLiteral("Packet log"));

  // One line more than the design: the window grows by its height.
  feed_line_ = new QLabel(client);
  feed_line_->setGeometry(kFeedLine);
  feed_line_->setFont(sans(13, true));
  feed_line_->setTextFormat(Qt::PlainText);
  feed_line_->setAutoFillBackground(true);
  feed_line_->setContentsMargins(4, 0, 4, 0);
  feed_.set_held_ports_probe([this] { return held_ports(); });
  connect(&feed_, &FeedHealth::changed, this, &Tcommentator0_form::show_feed_state);
  show_feed_state();

  QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
  QAction *exit = file->addAction(QStringLiteral("E&xit"));
  connect(exit, &QAction::triggered, this, &Tcommentator0_form::Exit1Click);
  QAction *ip = menuBar()->addAction(QStringLiteral("&IP Settings"));
  connect(ip, &QAction::triggered, this, &Tcommentator0_form::IPSettings1Click);

  const QSize client_size(796, kFeedLine.bottom() + 5);
  client->setMinimumSize(client_size);
  resize(client_size.width(), client_size.height() + menuBar()->sizeHint().height());
  FormCreate();
}

Tcommentator0_form::~Tcommentator0_form() = default;

void Tcommentator0_form::FormCreate() {
  setWindowTitle(QStringLiteral("Vorevadovid Screen v2.09"));
  setAccessibleName(windowTitle());
  // The screens read these when they are created or shown.
  state_.colours.background = 0x000000;
  state_.colours.text = 0xFFFFFF;
  state_.colours.fixed = 0x800080;
}

void Tcommentator0_form::set_screen(PacketKind kind, Screen screen) {
  screens_.at(size_t(kind)) = std::move(screen);
  placed_.at(size_t(kind)) = false;
}

void Tcommentator0_form::showEvent(QShowEvent *event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous())
    FormShow();
}

void Tcommentator0_form::hideEvent(QHideEvent *event) {
  QMainWindow::hideEvent(event);
  if (!event->spontaneous())
    FormHide();
}

void Tcommentator0_form::closeEvent(QCloseEvent *event) {
  event->accept();
  emit terminate_requested();
}

void Tcommentator0_form::FormShow() {
  state_.listening_address = load_listening_address(state_.seams.data_folder);
  const quint16 ports[PacketReceiver::kListeners] = {state_.ports.first, state_.ports.second};
  bool shared[PacketReceiver::kListeners] = {};
  for (int i = 0; i < PacketReceiver::kListeners; ++i) {
    shared[i] = receiver_.open(i, ports[i]) == PacketReceiver::OpenResult::shared;
    const bool open = receiver_.is_open(i);
    feed_.set_listener(i, open ? receiver_.local_port(i) : ports[i], open);
  }
  feed_.set_thresholds(
      load_feed_thresholds(state_.seams.data_folder.file(QLatin1StringView("feedhealth.ini"))));
  feed_.start();
  feed_.evaluate();
  log_.clear();
  log_grew_ = true;
  for (int i = 0; i < PacketReceiver::kListeners; ++i)
    if (shared[i])
      add_log_line(to_8bit(QStringLiteral("Port %1 is also open in another program: datagrams "
                                          "sent to this computer alone may go to it instead "
                                          "of this screen")
                               .arg(ports[i])));
  log_.set_colours(colour_from_bgr(state_.colours.background), colour_from_bgr(state_.colours.text));
  QPalette p = ListBox1->palette();
  p.setColor(QPalette::Base, colour_from_bgr(state_.colours.background));
  p.setColor(QPalette::Text, colour_from_bgr(state_.colours.text));
  ListBox1->setPalette(p);
  show_listening_address();
}

void Tcommentator0_form::FormHide() {
  receiver_.close(1);
  save_address();
}

void Tcommentator0_form::save_address() {
  const FileSaveResult r =
      save_listening_address(state_.seams.data_folder, state_.listening_address);
  if (r.status == FileSaveResult::failed && state_.seams.dialogs)
    state_.seams.dialogs->general_error(this, r.error);
}

void Tcommentator0_form::show_listening_address() {
  Label3->setText(from_8bit(listening_address_status(state_.listening_address)));
  fit_label(Label3);
}

void Tcommentator0_form::Exit1Click() { emit terminate_requested(); }

void Tcommentator0_form::IPSettings1Click() {
  if (!ip_dialog_)
    return;
  ip_dialog_->address_edit()->setText(from_8bit(state_.listening_address));
  if (!run_ip_dialog(*ip_dialog_))
    return;
  state_.listening_address = short_text_of(ip_dialog_->address_edit()->text());
  save_address();
  show_listening_address();
}

void Tcommentator0_form::handle_datagram(QByteArrayView datagram, QByteArrayView sender,
                                         int listener) {
  const bool accepted = sender_accepted(state_.listening_address, sender);
  const qsizetype zero = datagram.indexOf('\0');
  const QByteArrayView packet = zero < 0 ? datagram : datagram.first(zero);
  if (accepted) {
    feed_.accepted(listener, sender);
    if (is_flag(packet, "{heartbeat}"))
      feed_.heartbeat();
    dispatch(packet, *this);
  } else {
    feed_.ignored(sender, state_.listening_address);
  }
  QByteArray line;
  if (accepted) {
    line.reserve(sender.size() + 1 + packet.size());
    line.append(sender).append('>').append(packet);
  } else {
    line.append("IGNORED packet from ").append(sender);
  }
  add_log_line(std::move(line));
}

void Tcommentator0_form::add_log_line(QByteArray line) {
  if (!log_.add_line(std::move(line))) {
    log_grew_ = true;
    return;
  }
  // Scrolling lays the view out first, which is the dearest part of a
  // datagram; once the view sits at the bottom of a full log there is
  // nothing to scroll. While rows were being added, the scroll bar may not
  // have caught up yet.
  QScrollBar *bar = ListBox1->verticalScrollBar();
  if (log_grew_ || bar->value() != bar->maximum()) {
    ListBox1->scrollToBottom();
    log_grew_ = false;
  }
}

bool Tcommentator0_form::main_window_visible() const { return isVisible(); }

void Tcommentator0_form::log_line(QByteArrayView line) { add_log_line(line.toByteArray()); }

void Tcommentator0_form::show_screen(PacketKind kind) {
  emit screen_forward(kind);
  const Screen &s = screens_.at(size_t(kind));
  QWidget *w = s.window ? s.window() : nullptr;
  if (!w)
    return;
  if (!placed_.at(size_t(kind))) {
    // A screen comes up first centred over the main window; the full-screen
    // ones then cover their screen when they are shown. One already on view
    // stays where it is.
    placed_.at(size_t(kind)) = true;
    if (!w->isVisible())
      w->move(frameGeometry().center() - w->frameGeometry().center() + w->pos());
  }
  w->show();
  // Restacking and activating a window that is already in front costs a
  // repaint of all of it on some displays and shows nothing new.
  if (to_front_.isEmpty() && w == in_front_ && w->isActiveWindow())
    return;
  // Already the last to come forward this frame: a run of one kind asks once.
  if (!to_front_.isEmpty() && to_front_.last() == w)
    return;
  to_front_.removeAll(w);
  to_front_.append(w);
  front_frame_.request([this] { bring_forward(); });
}

void Tcommentator0_form::bring_forward() {
  // Raised in the order asked, so the stacking ends as if each had come
  // forward at once; the last one asked is the active window.
  const QList<QPointer<QWidget>> windows = std::exchange(to_front_, {});
  QWidget *last = nullptr;
  for (const QPointer<QWidget> &w : windows) {
    if (!w || !w->isVisible())
      continue;
    w->raise();
    last = w;
  }
  if (last)
    last->activateWindow();
  in_front_ = last;
  front_frame_.happened();
}

void Tcommentator0_form::process_events() {
  if (state_.seams.process_events)
    state_.seams.process_events();
}

ApplyResult Tcommentator0_form::apply(PacketKind kind, QByteArrayView packet) {
  const Screen &s = screens_.at(size_t(kind));
  return s.apply ? s.apply(packet) : ApplyResult::go_on;
}

QList<quint16> Tcommentator0_form::held_ports() const {
  const quint16 wanted[PacketReceiver::kListeners] = {state_.ports.first, state_.ports.second};
  std::array<quint16, PacketReceiver::kListeners> ports{};
  for (int i = 0; i < PacketReceiver::kListeners; ++i)
    ports[i] = receiver_.is_open(i) ? receiver_.local_port(i) : wanted[i];
  const auto held = receiver_.held_elsewhere(ports);
  QList<quint16> out;
  for (int i = 0; i < PacketReceiver::kListeners; ++i)
    if (held[i])
      out.append(ports[i]);
  return out;
}

void Tcommentator0_form::show_feed_state() {
  const FeedState &s = feed_.state();
  if (!feed_level_ || *feed_level_ != s.level) {
    feed_level_ = s.level;
    const LevelColours c = level_colours(s.level);
    feed_line_->setStyleSheet(
        QStringLiteral("color: %1; background: %2;").arg(c.text, c.background));
  }
  // The most important part comes first; what does not fit is cut, and a
  // screen reader still gets the whole line.
  const int room = feed_line_->contentsRect().width();
  feed_line_->setText(feed_line_->fontMetrics().elidedText(s.text, Qt::ElideRight, room));
  feed_line_->setAccessibleName(s.text);
}
