// The program as start-up builds it: which windows end the run when closed,
// what the run writes at its end, the outer sizes of the tool windows, and
// what the suite settings file would store of the state start-up leaves.

#include "app/main_window.h"
#include "app/startup.h"
#include "support/program_fixture.h"
#include "support/test_env.h"

#include <QAction>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

namespace {

// The program starts with a listening address on file.
void address_on_file(const TempDataFolder &data) {
  write_file(data.file("commentator.dat"), "10.1.2.3\r\n");
}

QAction *menu_action(QMenuBar *bar, const QString &text) {
  for (QAction *top : bar->actions()) {
    if (top->text() == text)
      return top;
    if (!top->menu())
      continue;
    for (QAction *a : top->menu()->actions())
      if (a->text() == text)
        return a;
  }
  return nullptr;
}

} // namespace

class StartupTest : public QObject {
  Q_OBJECT
private slots:
  void closing_data();
  void closing();
  void suite_file_stores_the_start_up_state();
  void outer_sizes_data();
  void outer_sizes();
  void screens_brought_forward_cover_their_screen_data();
  void screens_brought_forward_cover_their_screen();
};

void StartupTest::closing_data() {
  QTest::addColumn<QString>("window");
  QTest::addColumn<bool>("ends");
  QTest::newRow("main window") << "main-window" << true;
  QTest::newRow("E&xit") << "E&xit" << true;
  QTest::newRow("scratch") << "scratch" << true;
  QTest::newRow("sprint") << "sprint" << true;
  QTest::newRow("points race") << "points-race" << true;
  QTest::newRow("time trial") << "time-trial" << true;
  QTest::newRow("omnium") << "omnium" << false;
  QTest::newRow("RERadu") << "reradu-frame" << false;
}

void StartupTest::closing() {
  QFETCH(QString, window);
  QFETCH(bool, ends);
  ProgramFixture p(address_on_file);
  QFile::remove(p.data.file("commentator.dat")); // loaded; the end of the run writes it again
  QSignalSpy end_asked(&p.main(), &Tcommentator0_form::terminate_requested);
  if (window == "E&xit") {
    QAction *exit = menu_action(p.main().menuBar(), window);
    QVERIFY(exit);
    exit->trigger();
  } else {
    QWidget *w = p.window(window);
    QVERIFY(w);
    w->show();
    w->close();
    QVERIFY(!w->isVisible());
  }
  QCOMPARE(end_asked.count(), ends ? 1 : 0);
  if (!ends) {
    // Only hidden: the program runs on and has written nothing.
    QVERIFY(p.main().isVisible());
    QVERIFY(!QFile::exists(p.data.file("commentator.dat")));
    return;
  }
  // What the program does once its event loop has stopped.
  p.windows->shut_down();
  QCOMPARE(read_file(p.data.file("commentator.dat")), QByteArray("10.1.2.3\r\n"));
}

void StartupTest::suite_file_stores_the_start_up_state() {
  ProgramFixture p(address_on_file);
  const QList<QByteArray> lines =
      suite_settings_bytes(p.state.suite, suite_settings_sources(p.state)).split('\n');
  QCOMPARE(lines.value(62), QByteArray("0\r"));        // background, black
  QCOMPARE(lines.value(63), QByteArray("16777215\r")); // text, white
  QCOMPARE(lines.value(64), QByteArray("8388736\r"));  // fixed cells, purple
  QCOMPARE(lines.value(81), QByteArray("10.1.2.3\r"));
  QCOMPARE(lines.value(82), QByteArray("1\r")); // the RTD driver's switch
}

void StartupTest::outer_sizes_data() {
  QTest::addColumn<QString>("window");
  QTest::addColumn<QSize>("outer");
  QTest::newRow("RTD driver") << "rtd-driver" << QSize(270, 161);
  QTest::newRow("RERadu setup") << "reradu-setup" << QSize(182, 363);
  QTest::newRow("Seiko typewriter") << "seiko-typewriter" << QSize(267, 186);
  QTest::newRow("broadcast queue, as wide as the screen") << "broadcast-queue" << QSize();
}

// Frame included; with a window manager the frame is known only after the
// window is shown, so the size settles then.
void StartupTest::outer_sizes() {
  QFETCH(QString, window);
  QFETCH(QSize, outer);
  ProgramFixture p(address_on_file);
  QWidget *w = p.window(window);
  QVERIFY(w);
  w->show();
  QVERIFY(wait_until([&] { return w->windowHandle() && w->windowHandle()->isExposed(); }));
  if (!outer.isValid()) {
    const int screen_width = w->screen()->geometry().width();
    wait_until([&] { return w->frameGeometry().width() == screen_width; }, 2000);
    QCOMPARE(w->frameGeometry().width(), screen_width);
    QCOMPARE(w->frameGeometry().topLeft(), QPoint(0, 0));
    return;
  }
  wait_until([&] { return w->frameGeometry().size() == outer; }, 2000);
  QCOMPARE(w->frameGeometry().size(), outer);
}

void StartupTest::screens_brought_forward_cover_their_screen_data() {
  QTest::addColumn<QString>("window");
  QTest::addColumn<int>("kind");
  QTest::addColumn<bool>("on_view_before");
  QTest::newRow("omnium, first time") << "omnium" << int(PacketKind::omnium) << false;
  QTest::newRow("omnium, already on view") << "omnium" << int(PacketKind::omnium) << true;
  QTest::newRow("time trial, first time") << "time-trial" << int(PacketKind::time_trial) << false;
}

// A full-screen race screen covers the whole of its screen however it came
// up: centring it over the main window first must not leave it there.
void StartupTest::screens_brought_forward_cover_their_screen() {
  QFETCH(QString, window);
  QFETCH(int, kind);
  QFETCH(bool, on_view_before);
  ProgramFixture p(address_on_file);
  p.main().show();
  QWidget *w = p.window(window);
  QVERIFY(w);
  if (on_view_before) {
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
  }
  p.main().show_screen(PacketKind(kind));
  QVERIFY(QTest::qWaitForWindowExposed(w));
  const QRect screen = w->screen()->geometry();
  wait_until([&] { return w->frameGeometry() == screen; }, 2000);
  QCOMPARE(w->frameGeometry(), screen);
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
