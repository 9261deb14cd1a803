#include "startup.h"

#include "browser_view_control.h"
#include "ip_settings_dialog.h"
#include "main_window.h"
#include "screens/commentator_scratch.h"
#include "screens/omnium_commentator_form.h"
#include "screens/ptsrace_commentator_form.h"
#include "screens/reradu_commentator_form.h"
#include "screens/sprintr_commentator_form.h"
#include "screens/tt_commentator_form.h"
#include "reradu/qdimport_form.h"
#include "reradu/reradu_form.h"
#include "reradu/reradu_setup_form.h"
#include "rtd/rtd_driver.h"
#include "rtd/rtd_form.h"
#include "seiko/seiko_monitor.h"
#include "seiko/seikomon_form.h"
#include "seiko/seikoreradu_form.h"
#include "suite/broadcast_queue.h"
#include "suite/commentator_udp_form.h"
#include "toolkit/dialogs.h"
#include "toolkit/stop_signals.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>

#include <cstdio>

struct CommentatorWindows::Others {
  explicit Others(const ScreenColours &colours)
      : scratch_model(colours), points_race_model(colours), sprint_model(colours),
        time_trial_model(colours) {}

  // The race screens' models, declared before the windows that show them so
  // they go after them.
  ScratchModel scratch_model;
  OmniumModel omnium_model;
  PtsraceModel points_race_model;
  SprintModel sprint_model;
  TtModel time_trial_model;
  ReraduScreenModel reradu_model;

  // The drivers first: the windows hold them until they are gone.
  std::unique_ptr<RtdDriver> rtd_driver;
  std::unique_ptr<SeikoMonitor> seiko_driver;
  std::unique_ptr<BroadcastQueue> broadcast_queue;
  std::unique_ptr<TCommentator_udp_form> broadcast;
  std::unique_ptr<Tseikomon_form> seiko_monitor;
  std::unique_ptr<Tseikoreradu_form> seiko_typewriter;
  std::unique_ptr<Treradu_form> reradu_editor;
  std::unique_ptr<Treradu_setup_form> reradu_setup;
  std::unique_ptr<Trtd_form> rtd;
  std::unique_ptr<Treradu_globals_form> reradu_globals;
  std::unique_ptr<Tqdimport_form> reradu_import;
  std::unique_ptr<Tsprintr_commentator_form> sprint;
  std::unique_ptr<Ttt_commentator_form> time_trial;
  std::unique_ptr<Tptsrace_commentator_form> points_race;
  std::unique_ptr<Tcommentator_scratch> scratch;
  std::unique_ptr<Tomnium_commentator_form> omnium;
  std::unique_ptr<Treradu_commentator_form> reradu;
};

template <typename Window, typename Model>
void CommentatorWindows::add_race_screen(PacketKind kind, const char *name, Model &model,
                                         std::unique_ptr<Window> &window) {
  // A window that asks to end the program when closed declares it.
  constexpr bool ends_program = requires { &Window::terminate_requested; };
  const qsizetype index = race_screens_.size();
  race_screens_.append({kind, QString::fromLatin1(name), &model, nullptr,
                        [&model](QByteArrayView p) { return model.apply_packet(p); }, nullptr,
                        ends_program});
  make_window_.append([this, &model, &window, index] {
    // The window shows its model as it is now, as one made at start would.
    window = std::make_unique<Window>(model);
    if constexpr (ends_program)
      QObject::connect(window.get(), &Window::terminate_requested, main_.get(),
                       &Tcommentator0_form::terminate_requested);
    // Full-screen windows cover the screen the main window is on.
    if constexpr (requires { window->set_screen_geometry_source(ScreenGeometrySource{}); })
      window->set_screen_geometry_source([m = main_.get()] {
        QScreen *s = m->screen();
        return s ? s->geometry() : primary_screen_geometry();
      });
    RaceScreen &s = race_screens_[index];
    s.window = window.get();
    s.badge = &window->feed_badge();
    watch_window(s.window);
    // Made while the feed is silent, it wears the badge at once.
    s.badge->show_silence(main_->feed().state().badge_s);
  });
}

void CommentatorWindows::watch_window(QWidget *window) {
  // A screen reader names a window by its caption, including captions that
  // change while the program runs.
  window->setAccessibleName(window->windowTitle());
  QObject::connect(window, &QWidget::windowTitleChanged, window, &QWidget::setAccessibleName);
  // A busy feed changes a screen thousands of times a second; the
  // announcer sees at most one picture per display frame.
  pacer_.watch(window);
  // A window nobody sees need not keep its picture.
  stores_.watch(window);
}

CommentatorWindows::CommentatorWindows(AppState &state) : state_(state) {
  main_ = std::make_unique<Tcommentator0_form>(state_);
  // A window painting in the middle of datagrams read together (a scratch
  // datagram turns the event loop) would keep the rest of them waiting.
  main_->receiver().set_batch_watch([this](bool handing_on) {
    if (handing_on)
      pacer_.hold_paints();
    else
      pacer_.release_paints();
  });
  others_ = std::make_unique<Others>(state_.colours);
  Others &o = *others_;
  o.broadcast_queue = std::make_unique<BroadcastQueue>(state_.broadcast);
  o.broadcast = std::make_unique<TCommentator_udp_form>(*o.broadcast_queue);
  o.seiko_driver = std::make_unique<SeikoMonitor>(state_.seiko, state_.seams);
  o.seiko_monitor = std::make_unique<Tseikomon_form>(*o.seiko_driver, state_.seams);
  o.seiko_typewriter = std::make_unique<Tseikoreradu_form>(*o.seiko_driver);
  o.seiko_monitor->set_typewriter(o.seiko_typewriter.get());
  // The editor's creation makes reradu.dat when it is missing.
  o.reradu_editor = std::make_unique<Treradu_form>(state_.reradu, state_.seams);
  o.reradu_setup = std::make_unique<Treradu_setup_form>(state_.reradu.names);
  o.rtd_driver = std::make_unique<RtdDriver>(state_.rtd, state_.reradu.settings, state_.seams);
  o.rtd = std::make_unique<Trtd_form>(*o.rtd_driver, state_.seams);
  ip_dialog_ = std::make_unique<Tip_listening_address_form>(main_.get());
  o.reradu_globals = std::make_unique<Treradu_globals_form>();
  o.reradu_import = std::make_unique<Tqdimport_form>(state_.seams, main_.get());

  // The race screens, each named once; their windows come when first asked for.
  add_race_screen(PacketKind::scratch, "scratch", o.scratch_model, o.scratch);
  add_race_screen(PacketKind::omnium, "omnium", o.omnium_model, o.omnium);
  add_race_screen(PacketKind::points_race, "points-race", o.points_race_model, o.points_race);
  add_race_screen(PacketKind::sprint, "sprint", o.sprint_model, o.sprint);
  add_race_screen(PacketKind::time_trial, "time-trial", o.time_trial_model, o.time_trial);
  add_race_screen(PacketKind::reradu, "reradu-frame", o.reradu_model, o.reradu);

  // Off until switched on; browsers see the same models as the windows.
  browser_ = std::make_unique<BrowserViewControl>(state_, *main_);
  watch_screens(browser_->view(), o.scratch_model, o.omnium_model, o.points_race_model,
                o.sprint_model, o.time_trial_model, o.reradu_model);

  main_->set_ip_dialog(ip_dialog_.get());
  o.reradu_editor->set_rtd_driver(o.rtd_driver.get());
  o.reradu_editor->set_import_form(o.reradu_import.get());
  for (const RaceScreen &s : race_screens_)
    main_->set_screen(s.kind, {[this, kind = s.kind] { return screen(kind); }, s.apply});

  for (const Named &n : windows_made_at_start())
    watch_window(n.window);

  // While the feed is silent past the red threshold, every race screen wears
  // the badge; the screen in front shows it.
  FeedHealth &feed = main_->feed();
  QObject::connect(&feed, &FeedHealth::changed, main_.get(), [this, &feed] {
    for (const RaceScreen &s : race_screens_)
      if (s.badge)
        s.badge->show_silence(feed.state().badge_s);
  });
}

CommentatorWindows::~CommentatorWindows() {
  shut_down();
  browser_.reset();
  others_.reset();
  ip_dialog_.reset();
  main_.reset();
}

QWidget *CommentatorWindows::screen(PacketKind kind) {
  for (qsizetype i = 0; i < race_screens_.size(); ++i) {
    if (race_screens_.at(i).kind != kind)
      continue;
    if (!race_screens_.at(i).window)
      make_window_.at(i)();
    return race_screens_.at(i).window;
  }
  return nullptr;
}

QList<CommentatorWindows::Named> CommentatorWindows::all_windows() {
  QList<Named> all = windows_made_at_start();
  // The race screens come after the main window and the IP dialog.
  for (qsizetype i = 0; i < race_screens_.size(); ++i)
    all.insert(2 + i, {race_screens_.at(i).name, screen(race_screens_.at(i).kind)});
  return all;
}

QList<CommentatorWindows::Named> CommentatorWindows::windows_made_at_start() const {
  const Others &o = *others_;
  return {
      {QStringLiteral("main-window"), main_.get()},
      {QStringLiteral("ip-settings"), ip_dialog_.get()},
      {QStringLiteral("broadcast-queue"), o.broadcast.get()},
      {QStringLiteral("seiko-monitor"), o.seiko_monitor.get()},
      {QStringLiteral("seiko-typewriter"), o.seiko_typewriter.get()},
      {QStringLiteral("reradu-typewriter"), o.reradu_editor.get()},
      {QStringLiteral("reradu-setup"), o.reradu_setup.get()},
      {QStringLiteral("rtd-driver"), o.rtd.get()},
      {QStringLiteral("reradu-import"), o.reradu_import.get()},
  };
}

void CommentatorWindows::shut_down() {
  if (main_ && main_->isVisible())
    main_->hide();
}

int run_commentator(int argc, char **argv) {
  QApplication app(argc, argv);
  // The name only, no display name: on X11 a display name is appended to
  // every title bar, and each window's caption is its whole title. Message
  // boxes take the name as their title.
  QApplication::setApplicationName(QStringLiteral("V2 Vorevadovid Screen"));
  // The screens end the program themselves; closing the last one must not.
  QApplication::setQuitOnLastWindowClosed(false);

  QCommandLineParser options;
  const QCommandLineOption browser_view(QStringLiteral("browser-view"),
                                        QStringLiteral("Serve the screens to browsers."),
                                        QStringLiteral("[ADDRESS:]PORT"));
  options.addOption(browser_view);
  options.parse(QApplication::arguments());
  std::optional<BrowserViewSettings> browser_choice;
  if (options.isSet(browser_view)) {
    browser_choice = parse_listen_address(options.value(browser_view));
    if (!browser_choice) {
      std::fprintf(stderr, "commentator: --browser-view wants [ADDRESS:]PORT (an IPv4 address, "
                           "a port from 1 to 65535), not \"%s\"\n",
                   qPrintable(options.value(browser_view)));
      return 2;
    }
  }

  QtDialogs dialogs;
  AppState state;
  state.seams = real_seams(dialogs);

  CommentatorWindows windows(state);
  StopSignals stop_signals;
  QObject::connect(&stop_signals, &StopSignals::stop_requested, &app, &QApplication::quit);
  QObject::connect(&windows.main_window(), &Tcommentator0_form::terminate_requested, &app,
                   &QApplication::quit, Qt::QueuedConnection);

  // The command line chooses for this run only; otherwise as remembered.
  if (browser_choice)
    windows.browser_view().switch_to(*browser_choice);
  else
    windows.browser_view().switch_as_remembered();

  Tcommentator0_form &main = windows.main_window();
  if (QScreen *screen = QGuiApplication::primaryScreen())
    main.move(screen->availableGeometry().center() - main.rect().center());
  main.show();
  const int rc = app.exec();
  windows.shut_down();
  return rc;
}
