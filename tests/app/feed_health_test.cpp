#include "app/feed_health.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "screens/commentator_scratch.h"
#include "screens/omnium_commentator_form.h"
#include "screens/ptsrace_commentator_form.h"
#include "screens/reradu_commentator_form.h"
#include "screens/sprintr_commentator_form.h"
#include "screens/tt_commentator_form.h"
#include "support/recording_dialogs.h"
#include "support/test_env.h"
#include "toolkit/feed_badge.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <memory>

namespace {

const QDateTime kNow(QDate(2026, 12, 9), QTime(19, 42, 21));

// Seconds before now (negative: after it); -1 stands for "never".
QDateTime ago(int s) { return s == -1 ? QDateTime() : kNow.addSecs(-s); }

// "address:count:seconds ago" per ignored sender, most recent first.
QList<IgnoredSender> senders(const QStringList &entries) {
  QList<IgnoredSender> out;
  for (const QString &entry : entries) {
    const QStringList p = entry.split(QLatin1Char(':'));
    out.append({p[0].toLatin1(), p[1].toLongLong(), ago(p[2].toInt())});
  }
  return out;
}

} // namespace

class FeedHealthTest : public QObject {
  Q_OBJECT
private slots:
  void state_data();
  void state();
  void thresholds_from_file_data();
  void thresholds_from_file();
  void ignored_sender_named_and_stale_feed_cleared_through_listeners();
  void badge_covers_no_cell_data();
  void badge_covers_no_cell();
};

void FeedHealthTest::state_data() {
  QTest::addColumn<int>("last_s");      // last accepted datagram on 29105, seconds ago (-1: none)
  QTest::addColumn<int>("heartbeat_s"); // -1: none
  QTest::addColumn<bool>("open");
  QTest::addColumn<QStringList>("ignored");
  QTest::addColumn<QByteArray>("address");
  QTest::addColumn<QList<quint16>>("held");
  QTest::addColumn<int>("amber_s");
  QTest::addColumn<int>("red_s");
  QTest::addColumn<int>("level");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("badge_s"); // -1: no badge

  const QByteArray any = "255.255.255.255";
  const QList<quint16> none;
  const int waiting = int(FeedLevel::waiting), ok = int(FeedLevel::ok),
            amber = int(FeedLevel::amber), red = int(FeedLevel::red);
  const QString idle = " \u00B7 29105: none, 29104: none, no heartbeat";
  const auto counts = [](const QString &last) {
    return QStringLiteral(" \u00B7 29105: 12 (last %1), 29104: none, no heartbeat").arg(last);
  };

  QTest::newRow("before the first datagram")
      << -1 << -1 << true << QStringList() << any << none << 10 << 60 << waiting
      << "Waiting for the first datagram on ports 29105 and 29104" + idle << -1;
  QTest::newRow("no port could be opened")
      << -1 << -1 << false << QStringList() << any << none << 10 << 60 << red
      << "Not listening: no port could be opened \u00B7 29105: closed, 29104: closed, no heartbeat"
      << -1;
  QTest::newRow("just received") << 0 << -1 << true << QStringList() << any << none << 10 << 60
                                 << ok << "Receiving" + counts("19:42:21") << -1;
  QTest::newRow("9 s is still fresh") << 9 << -1 << true << QStringList() << any << none << 10
                                      << 60 << ok << "Receiving" + counts("19:42:12") << -1;
  QTest::newRow("amber from 10 s")
      << 10 << -1 << true << QStringList() << any << none << 10 << 60 << amber
      << "No data for 10 s (last at 19:42:11)" + counts("19:42:11") << -1;
  QTest::newRow("14 s") << 14 << -1 << true << QStringList() << any << none << 10 << 60 << amber
                        << "No data for 14 s (last at 19:42:07)" + counts("19:42:07") << -1;
  QTest::newRow("59 s is still amber")
      << 59 << -1 << true << QStringList() << any << none << 10 << 60 << amber
      << "No data for 59 s (last at 19:41:22)" + counts("19:41:22") << -1;
  QTest::newRow("red from 60 s, with the badge")
      << 60 << -1 << true << QStringList() << any << none << 10 << 60 << red
      << "No data for 1 min 0 s (last at 19:41:21)" + counts("19:41:21") << 60;
  QTest::newRow("74 s") << 74 << -1 << true << QStringList() << any << none << 10 << 60 << red
                        << "No data for 1 min 14 s (last at 19:41:07)" + counts("19:41:07") << 74;
  QTest::newRow("over an hour")
      << 3700 << -1 << true << QStringList() << any << none << 10 << 60 << red
      << "No data for 1 h 1 min (last at 18:40:41)" + counts("18:40:41") << 3700;
  QTest::newRow("a heartbeat is a sign of life")
      << 30 << 2 << true << QStringList() << any << none << 10 << 60 << ok
      << "Receiving \u00B7 29105: 12 (last 19:41:51), 29104: none, heartbeat 19:42:19" << -1;
  QTest::newRow("the clock went back") << -30 << -1 << true << QStringList() << any << none
                                       << 10 << 60 << ok << "Receiving" + counts("19:42:51") << -1;
  QTest::newRow("thresholds from the settings: amber")
      << 6 << -1 << true << QStringList() << any << none << 5 << 20 << amber
      << "No data for 6 s (last at 19:42:15)" + counts("19:42:15") << -1;
  QTest::newRow("thresholds from the settings: red")
      << 20 << -1 << true << QStringList() << any << none << 5 << 20 << red
      << "No data for 20 s (last at 19:42:01)" + counts("19:42:01") << 20;
  QTest::newRow("an ignored sender is never all well")
      << -1 << -1 << true << QStringList{"192.168.1.20:37:1"} << QByteArray("192.168.1.10") << none
      << 10 << 60 << amber
      << "Ignoring 37 datagrams from 192.168.1.20 (listening to 192.168.1.10) \u00B7 Waiting for "
         "the first datagram on ports 29105 and 29104" + idle
      << -1;
  QTest::newRow("one ignored datagram beside a flowing feed")
      << 1 << -1 << true << QStringList{"10.0.0.3:1:5"} << QByteArray("192.168.1.10") << none << 10
      << 60 << amber
      << "Ignoring 1 datagram from 10.0.0.3 (listening to 192.168.1.10) \u00B7 Receiving" +
             counts("19:42:20")
      << -1;
  QTest::newRow("three named, most recent first, all summed")
      << 70 << -1 << true
      << QStringList{"10.0.0.4:1:0", "10.0.0.3:2:3", "10.0.0.2:3:9", "10.0.0.1:4:30"}
      << QByteArray("192.168.1.10") << none << 10 << 60 << red
      << "Ignoring 10 datagrams from 10.0.0.4, 10.0.0.3, 10.0.0.2 and 1 more (listening to "
         "192.168.1.10) \u00B7 No data for 1 min 10 s (last at 19:41:11)" + counts("19:41:11")
      << 70;
  QTest::newRow("a sender quiet for the red time is forgotten")
      << 0 << -1 << true << QStringList{"10.0.0.3:5:60"} << QByteArray("192.168.1.10") << none << 10
      << 60 << ok << "Receiving" + counts("19:42:21") << -1;
  QTest::newRow("empty listening address")
      << -1 << -1 << true << QStringList{"10.0.0.3:2:0"} << QByteArray() << none << 10 << 60
      << amber
      << "Ignoring 2 datagrams from 10.0.0.3 (the listening address is empty) \u00B7 Waiting for "
         "the first datagram on ports 29105 and 29104" + idle
      << -1;
  QTest::newRow("a port held by another program is red")
      << 0 << -1 << true << QStringList() << any << QList<quint16>{29105} << 10 << 60 << red
      << "Port 29105 is held by another program \u00B7 Receiving" + counts("19:42:21") << -1;
  QTest::newRow("both ports held")
      << -1 << -1 << true << QStringList() << any << QList<quint16>{29105, 29104} << 10 << 60
      << red
      << "Ports 29105 and 29104 are held by another program \u00B7 Waiting for the first datagram "
         "on ports 29105 and 29104" + idle
      << -1;
}

void FeedHealthTest::state() {
  QFETCH(int, last_s);
  QFETCH(int, heartbeat_s);
  QFETCH(bool, open);
  QFETCH(QStringList, ignored);
  QFETCH(QByteArray, address);
  QFETCH(QList<quint16>, held);
  QFETCH(int, amber_s);
  QFETCH(int, red_s);
  QFETCH(int, level);
  QFETCH(QString, text);
  QFETCH(int, badge_s);

  FeedFacts f;
  f.now = kNow;
  f.listeners = {{29105, open, last_s == -1 ? 0 : 12, ago(last_s)}, {29104, open, 0, {}}};
  f.last_heartbeat = ago(heartbeat_s);
  f.ignored = senders(ignored);
  f.listening_address = address;
  f.held_ports = held;
  f.thresholds = {amber_s, red_s};
  const FeedState s = feed_state(f);
  QCOMPARE(s.text, text);
  QCOMPARE(int(s.level), level);
  QCOMPARE(s.badge_s.value_or(-1), qint64(badge_s));
}

void FeedHealthTest::thresholds_from_file_data() {
  QTest::addColumn<QByteArray>("file"); // empty: no file
  QTest::addColumn<int>("amber_s");
  QTest::addColumn<int>("red_s");
  QTest::newRow("no file") << QByteArray() << 10 << 60;
  QTest::newRow("both set") << QByteArray("[feed]\r\namber_after_seconds=5\r\nred_after_seconds=30\r\n")
                            << 5 << 30;
  QTest::newRow("one set") << QByteArray("[feed]\nred_after_seconds=120\n") << 10 << 120;
  QTest::newRow("not numbers, zero") << QByteArray("[feed]\namber_after_seconds=ten\nred_after_seconds=0\n")
                                     << 10 << 60;
  QTest::newRow("red never before amber")
      << QByteArray("[feed]\namber_after_seconds=90\nred_after_seconds=30\n") << 90 << 90;
}

void FeedHealthTest::thresholds_from_file() {
  QFETCH(QByteArray, file);
  QFETCH(int, amber_s);
  QFETCH(int, red_s);
  TempDataFolder data;
  if (!file.isEmpty())
    QVERIFY(write_file(data.file("feedhealth.ini"), file));
  const FeedThresholds t = load_feed_thresholds(data.file("feedhealth.ini"));
  QCOMPARE(t.amber_s, amber_s);
  QCOMPARE(t.red_s, red_s);
}

// The whole program on two ephemeral loopback ports, its clock in the test's
// hand: an ignored sender is named and counted, the feed goes red with the
// badge on the screen in front, and the next accepted datagram clears both.
void FeedHealthTest::ignored_sender_named_and_stale_feed_cleared_through_listeners() {
  TempDataFolder data;
  QVERIFY(write_file(data.file("commentator.dat"), "10.0.0.9\r\n"));
  RecordingDialogs dialogs;
  AppState state;
  state.seams = test_seams(dialogs, data.folder());
  qint64 clock = kNow.toMSecsSinceEpoch();
  state.seams.now_ms = [&clock] { return clock; };
  state.ports = {0, 0};
  CommentatorWindows windows(state);
  Tcommentator0_form &main = windows.main_window();
  main.show();
  FeedHealth &feed = main.feed();
  const quint16 second = main.receiver().local_port(1);
  QCOMPARE(feed.state().level, FeedLevel::waiting);

  for (int i = 0; i < 3; ++i)
    QVERIFY(send_loopback(second, "{scratch}+{title}Heat " + QByteArray::number(i)));
  QVERIFY(wait_until([&] { return main.log().lines().size() == 3; }));
  clock += 1000;
  feed.evaluate();
  QCOMPARE(feed.state().level, FeedLevel::amber);
  QVERIFY2(feed.state().text.contains(
               QStringLiteral("Ignoring 3 datagrams from 127.0.0.1 (listening to 10.0.0.9)")),
           qPrintable(feed.state().text));
  QCOMPARE(main.feed_line()->accessibleName(), feed.state().text);

  // The operator points the filter at the right sender.
  state.listening_address = "127.0.0.1";
  QVERIFY(send_loopback(second, "{scratch}+{title}Final"));
  QVERIFY(wait_until([&] { return feed.state().level == FeedLevel::ok; }));
  auto *scratch = static_cast<Tcommentator_scratch *>(windows.screen(PacketKind::scratch));
  QVERIFY(scratch->isVisible());
  QVERIFY(!feed.state().text.contains(QStringLiteral("Ignoring")));

  clock += 75 * 1000;
  feed.evaluate();
  QCOMPARE(feed.state().level, FeedLevel::red);
  QCOMPARE(feed.state().badge_s, std::optional<qint64>(75));
  QVERIFY(scratch->feed_badge().shown());
  QCOMPARE(scratch->feed_badge().label()->text(), QStringLiteral("NO DATA 1:15"));
  // A screen whose window is made only now wears it too.
  auto *sprint = static_cast<Tsprintr_commentator_form *>(windows.screen(PacketKind::sprint));
  QVERIFY(sprint->feed_badge().shown());
  QCOMPARE(sprint->feed_badge().label()->text(), QStringLiteral("NO DATA 1:15"));

  QVERIFY(send_loopback(second, "{scratch}+{list}0{name}A. RIDER"));
  QVERIFY(wait_until([&] { return feed.state().level == FeedLevel::ok; }));
  QVERIFY(!scratch->feed_badge().shown());
  QVERIFY(!scratch->feed_badge().label()->isVisible());
  QVERIFY(!sprint->feed_badge().shown());
  const FeedFacts f = feed.facts();
  QCOMPARE(f.listeners.at(1).accepted, qint64(2));
  QCOMPARE(f.listeners.at(0).accepted, qint64(0));
  QCOMPARE(f.listeners.at(1).last, QDateTime::fromMSecsSinceEpoch(clock));
  main.hide();
}

void FeedHealthTest::badge_covers_no_cell_data() {
  QTest::addColumn<QString>("window");
  QTest::addColumn<QSize>("screen");
  for (const char *w : {"omnium", "points race", "time trial"}) {
    QTest::addRow("%s, 1920 x 1080", w) << QString::fromLatin1(w) << QSize(1920, 1080);
    QTest::addRow("%s, 1280 x 1024", w) << QString::fromLatin1(w) << QSize(1280, 1024);
  }
  // These keep their own size.
  for (const char *w : {"scratch", "sprint", "RERadu frame"})
    QTest::addRow("%s", w) << QString::fromLatin1(w) << QSize();
}

void FeedHealthTest::badge_covers_no_cell() {
  QFETCH(QString, window);
  QFETCH(QSize, screen);
  const ScreenColours colours{0x000000, 0xFFFFFF, 0x800080};
  const ScreenGeometrySource full = [screen] { return QRect(QPoint(0, 0), screen); };
  std::unique_ptr<QWidget> w;
  FeedBadge *badge = nullptr;
  if (window == "omnium") {
    auto *s = new Tomnium_commentator_form(colours);
    s->set_screen_geometry_source(full);
    s->apply_packet("{omnium}+{lines}26{cols}20{line}0{0}Rank{1}Bib{2}Name");
    badge = &s->feed_badge();
    w.reset(s);
  } else if (window == "points race") {
    auto *s = new Tptsrace_commentator_form(colours);
    s->set_screen_geometry_source(full);
    badge = &s->feed_badge();
    w.reset(s);
  } else if (window == "time trial") {
    auto *s = new Ttt_commentator_form(colours);
    s->set_screen_geometry_source(full);
    badge = &s->feed_badge();
    w.reset(s);
  } else if (window == "scratch") {
    auto *s = new Tcommentator_scratch(colours);
    badge = &s->feed_badge();
    w.reset(s);
  } else if (window == "sprint") {
    auto *s = new Tsprintr_commentator_form(colours);
    badge = &s->feed_badge();
    w.reset(s);
  } else {
    auto *s = new Treradu_commentator_form(colours);
    s->apply_packet("{reradu}+,ONE,TWO,THREE,FOUR,FIVE,SIX,SEVEN,EIGHT");
    badge = &s->feed_badge();
    w.reset(s);
  }
  w->show();
  QVERIFY(QTest::qWaitForWindowExposed(w.get()));
  if (screen.isValid())
    QCOMPARE(w->frameGeometry().size(), screen);
  badge->show_silence(4 * 60 + 2);
  QCoreApplication::processEvents();

  const QRect b = badge->label()->geometry();
  QCOMPARE(badge->label()->text(), QStringLiteral("NO DATA 4:02"));
  QVERIFY(badge->label()->isVisible());
  QVERIFY2(w->rect().contains(b), qPrintable(window));
  const auto in_window = [&](const QWidget *inner, QRect r) {
    return QRect(inner->mapTo(w.get(), r.topLeft()), r.size());
  };
  int cells = 0;
  for (const QAbstractItemView *view : w->findChildren<QAbstractItemView *>()) {
    if (!view->isVisibleTo(w.get()))
      continue;
    const QAbstractItemModel *m = view->model();
    for (int r = 0; r < m->rowCount(); ++r)
      for (int c = 0; c < m->columnCount(); ++c) {
        const QRect cell = view->visualRect(m->index(r, c)) & view->viewport()->rect();
        if (cell.isEmpty())
          continue;
        ++cells;
        QVERIFY2(!in_window(view->viewport(), cell).intersects(b),
                 qPrintable(QStringLiteral("%1 covers cell %2,%3 of %4")
                                .arg(window).arg(c).arg(r).arg(view->accessibleName())));
      }
  }
  QVERIFY(cells > 0);
  // Titles, read-outs and the sprint chooser: every text label and list.
  for (const QWidget *t : w->findChildren<QWidget *>()) {
    const auto *label = qobject_cast<const QLabel *>(t);
    const bool text_label = label && label != badge->label() && label->pixmap().isNull();
    if ((text_label || qobject_cast<const QComboBox *>(t)) && t->isVisibleTo(w.get()))
      QVERIFY2(!in_window(t, t->rect()).intersects(b),
               qPrintable(QStringLiteral("%1 covers %2").arg(window, t->accessibleName())));
  }
  badge->show_silence(std::nullopt);
  QVERIFY(!badge->label()->isVisible());
}

QTEST_MAIN(FeedHealthTest)
#include "feed_health_test.moc"
