#include "app/main_window.h"
#include "app/startup.h"
#include "screens/commentator_scratch.h"
#include "screens/omnium_commentator_form.h"
#include "support/program_fixture.h"
#include "support/test_env.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QUdpSocket>

class ScreensThroughListenersTest : public QObject {
  Q_OBJECT
private slots:
  void each_kind_shows_its_window_data();
  void each_kind_shows_its_window();
  void sprint_and_time_trial_leave_time_trial_in_front();
  void burst_of_kinds_leaves_the_last_in_front();
  void malformed_omnium_keeps_listener_alive();
  void huge_omnium_shape_is_capped();
  void title_then_line_back_to_back_both_survive();
  void every_window_is_named_by_its_caption();
};

void ScreensThroughListenersTest::each_kind_shows_its_window_data() {
  QTest::addColumn<QByteArray>("datagram");
  QTest::addColumn<int>("kind");
  // Asked for before the datagram, the window is made then; otherwise the
  // datagram makes it.
  QTest::addColumn<bool>("asked_first");
  QTest::newRow("scratch") << QByteArray("{scratch}+{title}Heat 1{eop}") << int(PacketKind::scratch)
                           << true;
  QTest::newRow("reradu") << QByteArray("{reradu}+{data},A,B,,,,,,,") << int(PacketKind::reradu)
                          << true;
  QTest::newRow("omnium") << QByteArray("{omnium}+{line}0{0}Rank{eop}") << int(PacketKind::omnium)
                          << true;
  QTest::newRow("sprint") << QByteArray("{sprintf}+{title}Sprint{eop}") << int(PacketKind::sprint)
                          << true;
  QTest::newRow("points race") << QByteArray("{ptsrace}+{standings}0{rnk}1{eop}")
                               << int(PacketKind::points_race) << true;
  QTest::newRow("time trial") << QByteArray("{tt}+{standings}0{rnk}1{eop}")
                              << int(PacketKind::time_trial) << true;
  // The omnium's table takes the Packet before its window comes up.
  QTest::newRow("omnium, made by its datagram")
      << QByteArray("{omnium}+{lines}3{cols}4{line}0{0}Rank{1}Bib{eop}") << int(PacketKind::omnium)
      << false;
  QTest::newRow("points race, made by its datagram")
      << QByteArray("{ptsrace}+{sprint}1{sname}Sprint 1{name1}A. RIDER{pts1}5{eop}")
      << int(PacketKind::points_race) << false;
}

void ScreensThroughListenersTest::each_kind_shows_its_window() {
  QFETCH(QByteArray, datagram);
  QFETCH(int, kind);
  QFETCH(bool, asked_first);
  const PacketKind k = PacketKind(kind);
  // The same datagram into a program whose window was made at start: the
  // picture a window made later must show too.
  QImage made_at_start;
  if (!asked_first) {
    ProgramFixture early;
    QWidget *w = early.windows->screen(k);
    QVERIFY(early.deliver(kind % 2, datagram));
    made_at_start = w->grab().toImage();
  }
  ProgramFixture p;
  QWidget *w = asked_first ? p.windows->screen(k) : nullptr;
  QVERIFY(!w || !w->isVisible());
  QVERIFY(p.deliver(kind % 2, datagram));
  if (!w)
    w = p.windows->screen(k);
  QVERIFY(w->isVisible());
  QVERIFY(wait_until([&] { return QApplication::activeWindow() == w; }, 1000));
  if (!asked_first)
    QCOMPARE(w->grab().toImage(), made_at_start);
}

void ScreensThroughListenersTest::sprint_and_time_trial_leave_time_trial_in_front() {
  ProgramFixture p;
  QVERIFY(p.deliver(0, "{sprintf}+{title}S{tt}+{eop}"));
  QVERIFY(p.windows->screen(PacketKind::sprint)->isVisible());
  QWidget *tt = p.windows->screen(PacketKind::time_trial);
  QVERIFY(wait_until([&] { return QApplication::activeWindow() == tt; }, 1000));
}

void ScreensThroughListenersTest::burst_of_kinds_leaves_the_last_in_front() {
  // Screens asked for within one frame come forward together; the last one
  // asked must end up active, each of the others shown.
  ProgramFixture p;
  QUdpSocket sender;
  const QByteArray burst[] = {"{omnium}+{line}0{0}Rank{eop}", "{tt}+{standings}0{rnk}1{eop}",
                              "{sprintf}+{title}Sprint{eop}", "{ptsrace}+{standings}0{rnk}1{eop}",
                              "{omnium}+{line}1{0}1{eop}"};
  for (const QByteArray &d : burst)
    QCOMPARE(sender.writeDatagram(d, QHostAddress::LocalHost, p.port(0)), d.size());
  QVERIFY(wait_until([&] { return p.logged() == 5; }));
  for (PacketKind k : {PacketKind::omnium, PacketKind::time_trial, PacketKind::sprint,
                       PacketKind::points_race})
    QVERIFY(p.windows->screen(k)->isVisible());
  QWidget *omnium = p.windows->screen(PacketKind::omnium);
  QVERIFY(wait_until([&] { return QApplication::activeWindow() == omnium; }, 1000));
}

void ScreensThroughListenersTest::malformed_omnium_keeps_listener_alive() {
  ProgramFixture p;
  QVERIFY(p.deliver(0, "{omnium}+{lines}10"));
  auto *omnium = static_cast<Tomnium_commentator_form *>(p.windows->screen(PacketKind::omnium));
  QVERIFY(omnium->isVisible());
  QCOMPARE(omnium->results().row_count(), 10);
  QCOMPARE(p.main().log().lines().last(), QStringLiteral("127.0.0.1>{omnium}+{lines}10"));
  QVERIFY(p.main().receiver().is_open(0));
  QVERIFY(p.deliver(0, "{scratch}+{title}Still here{eop}"));
  QCOMPARE(p.main().log().lines().last(), QStringLiteral("127.0.0.1>{scratch}+{title}Still here{eop}"));
}

// How fast: bench/hostile.
void ScreensThroughListenersTest::huge_omnium_shape_is_capped() {
  ProgramFixture p;
  QVERIFY(p.deliver(1, "{omnium}+{lines}2000000000{cols}2000000000{line}0"));
  auto *omnium = static_cast<Tomnium_commentator_form *>(p.windows->screen(PacketKind::omnium));
  QCOMPARE(omnium->results().row_count(), 999);
  QCOMPARE(omnium->results().col_count(), 999);
}

void ScreensThroughListenersTest::title_then_line_back_to_back_both_survive() {
  ProgramFixture p;
  QUdpSocket s;
  const QByteArray title = "{scratch}+{title}Keirin Heat 2{time}10.512{spd}68.49{eop}";
  const QByteArray line = "{scratch}+{list}0{rank}1{bib}12{name}A. RIDER{nat}GBR{eop}";
  s.writeDatagram(title, QHostAddress::LocalHost, p.port(0));
  s.writeDatagram(line, QHostAddress::LocalHost, p.port(1));
  QVERIFY(wait_until([&] { return p.logged() >= 2; }));
  auto *scratch = static_cast<Tcommentator_scratch *>(p.windows->screen(PacketKind::scratch));
  QCOMPARE(scratch->event_table().cell(1, 0), QByteArray("Keirin Heat 2"));
  QCOMPARE(scratch->competitor_table().cell(2, 1), QByteArray("A. RIDER"));
}

void ScreensThroughListenersTest::every_window_is_named_by_its_caption() {
  ProgramFixture p;
  for (const CommentatorWindows::Named &n : p.windows->all_windows()) {
    // Some windows set their caption only when they are shown.
    n.window->show();
    QVERIFY2(!n.window->windowTitle().isEmpty(), qPrintable(n.name));
    QCOMPARE(n.window->accessibleName(), n.window->windowTitle());
    if (n.window != &p.main())
      n.window->hide();
  }
}

QTEST_MAIN(ScreensThroughListenersTest)
#include "screens_through_listeners_test.moc"
