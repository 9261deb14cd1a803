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

template <typename Model, typename Window>
void CommentatorWindows::add_race_screen(PacketKind kind, const char *name, Model &model,
                                         Window &window) {
  // A window that asks to end the program when closed declares it.
  constexpr bool ends_program = requires { &Window::terminate_requested; };
  race_screens_.append({kind, QString::fromLatin1(name), &model, &window,
                        [&model](QByteArrayView p) { return model.apply_packet(p); },
                        &window.feed_badge(), ends_program});
  if constexpr (ends_program)
    QObject::connect(&window, &Window::terminate_requested, main_.get(),
                     &Tcommentator0_form::terminate_requested);
}

CommentatorWindows::CommentatorWindows(AppState &state) : state_(state) {
  main_ = std::make_unique<Tcommentator0_form>(state_);
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
  o.scratch = std::make_unique<Tcommentator_scratch>(o.scratch_model);
  o.omnium = std::make_unique<Tomnium_commentator_form>(o.omnium_model);
  o.points_race = std::make_unique<Tptsrace_commentator_form>(o.points_race_model);
  o.sprint = std::make_unique<Tsprintr_commentator_form>(o.sprint_model);
  o.time_trial = std::make_unique<Ttt_commentator_form>(o.time_trial_model);
  o.reradu = std::make_unique<Treradu_commentator_form>(o.reradu_model);

  // The race screens, each named once.
  add_race_screen(PacketKind::scratch, "scratch", o.scratch_model, *o.scratch);
  add_race_screen(PacketKind::omnium, "omnium", o.omnium_model, *o.omnium);
  add_race_screen(PacketKind::points_race, "points-race", o.points_race_model, *o.points_race);
  add_race_screen(PacketKind::sprint, "sprint", o.sprint_model, *o.sprint);
  add_race_screen(PacketKind::time_trial, "time-trial", o.time_trial_model, *o.time_trial);
  add_race_screen(PacketKind::reradu, "reradu-frame", o.reradu_model, *o.reradu);

  // Off until switched on; browsers see the same models as the windows.
  browser_ = std::make_unique<BrowserViewControl>(state_, *main_);
  watch_screens(browser_->view(), o.scratch_model, o.omnium_model, o.points_race_model,
                o.sprint_model, o.time_trial_model, o.reradu_model);

  main_->set_ip_dialog(ip_dialog_.get());
  o.reradu_editor->set_rtd_driver(o.rtd_driver.get());
  o.reradu_editor->set_import_form(o.reradu_import.get());
  for (const RaceScreen &s : race_screens_)
    main_->set_screen(s.kind, {s.window, s.apply});

  // Full-screen windows cover the screen the main window is on.
  const ScreenGeometrySource main_screen = [m = main_.get()] {
    QScreen *s = m->screen();
    return s ? s->geometry() : primary_screen_geometry();
  };
  o.omnium->set_screen_geometry_source(main_screen);
  o.points_race->set_screen_geometry_source(main_screen);
  o.time_trial->set_screen_geometry_source(main_screen);

  // A screen reader names a window by its caption, including captions that
  // change while the program runs.
  for (const Named &n : all_windows()) {
    n.window->setAccessibleName(n.window->windowTitle());
    QObject::connect(n.window, &QWidget::windowTitleChanged, n.window, &QWidget::setAccessibleName);
    // A busy feed changes a screen thousands of times a second; the
    // announcer sees at most one picture per display frame.
    pacer_.watch(n.window);
    // A window nobody sees need not keep its picture.
    stores_.watch(n.window);
  }

  // While the feed is silent past the red threshold, every race screen wears
  // the badge; the screen in front shows it.
  QList<FeedBadge *> badges;
  for (const RaceScreen &s : race_screens_)
    badges.append(s.badge);
  FeedHealth &feed = main_->feed();
  QObject::connect(&feed, &FeedHealth::changed, main_.get(), [&feed, badges] {
    for (FeedBadge *b : badges)
      b->show_silence(feed.state().badge_s);
  });
}

CommentatorWindows::~CommentatorWindows() {
  shut_down();
  browser_.reset();
  others_.reset();
  ip_dialog_.reset();
  main_.reset();
}

QWidget *CommentatorWindows::screen(PacketKind kind) const {
  for (const RaceScreen &s : race_screens_)
    if (s.kind == kind)
      return s.window;
  return nullptr;
}

QList<CommentatorWindows::Named> CommentatorWindows::all_windows() const {
  const Others &o = *others_;
  QList<Named> all = {
      {QStringLiteral("main-window"), main_.get()},
      {QStringLiteral("ip-settings"), ip_dialog_.get()},
  };
  for (const RaceScreen &s : race_screens_)
    all.append({s.name, s.window});
  all.append({
      {QStringLiteral("broadcast-queue"), o.broadcast.get()},
      {QStringLiteral("seiko-monitor"), o.seiko_monitor.get()},
      {QStringLiteral("seiko-typewriter"), o.seiko_typewriter.get()},
      {QStringLiteral("reradu-typewriter"), o.reradu_editor.get()},
      {QStringLiteral("reradu-setup"), o.reradu_setup.get()},
      {QStringLiteral("rtd-driver"), o.rtd.get()},
      {QStringLiteral("reradu-import"), o.reradu_import.get()},
  });
  return all;
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
