#include "screens/commentator_scratch.h"
#include "screens/omnium_commentator_form.h"
#include "screens/ptsrace_commentator_form.h"
#include "screens/reradu_commentator_form.h"
#include "screens/sprintr_commentator_form.h"
#include "screens/tt_commentator_form.h"
#include "web/browser_settings.h"
#include "web/browser_view.h"
#include "web/screen_json.h"
#include "screen_models.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

QJsonObject table_of(const QJsonObject &screen, const QString &id) {
  for (const QJsonValue &t : screen["tables"].toArray())
    if (t["id"].toString() == id)
      return t.toObject();
  return {};
}

bool table_shows(const QJsonObject &table, const QString &text) {
  for (const QJsonValue &row : table["cells"].toArray())
    for (const QJsonValue &cell : row.toArray())
      if (cell.toString().contains(text))
        return true;
  return false;
}

QString text_of(const QJsonObject &screen, const QString &role) {
  for (const QJsonValue &t : screen["texts"].toArray())
    if (t["role"].toString() == role)
      return t["text"].toString();
  return QStringLiteral("<no such role>");
}

// What every table must be for the page to draw it without checks.
QString shape_fault(const QJsonObject &t) {
  const int rows = t["rows"].toInt();
  const int cols = t["cols"].toInt();
  if (t["cells"].toArray().size() != rows)
    return QStringLiteral("%1: %2 rows of cells, rows says %3").arg(t["id"].toString()).arg(t["cells"].toArray().size()).arg(rows);
  for (const QJsonValue &row : t["cells"].toArray())
    if (row.toArray().size() != cols)
      return t["id"].toString() + ": a row of the wrong length";
  if (t["widths"].toArray().size() != cols)
    return t["id"].toString() + ": widths do not match cols";
  if (t["fixed_rows"].toInt() > rows || t["fixed_cols"].toInt() > cols)
    return t["id"].toString() + ": more fixed rows or columns than sent";
  for (const char *c : {"cell", "text", "fixed"})
    if (!QRegularExpression("^#[0-9a-f]{6}$").match(t["colours"][c].toString()).hasMatch())
      return t["id"].toString() + ": colour " + c + " is " + t["colours"][c].toString();
  if (t["font"]["px"].toInt() <= 0)
    return t["id"].toString() + ": no font size";
  return {};
}

// The window's tables by their accessible names, as ids.
QStringList grid_ids(const QWidget &window) {
  QStringList ids;
  for (const TextGrid *g : window.findChildren<TextGrid *>()) {
    QString id = g->accessibleName().toLower().remove(u'\'');
    id.replace(QRegularExpression("[^a-z0-9]+"), QStringLiteral("-"));
    ids.append(id);
  }
  ids.sort();
  return ids;
}

} // namespace

class ScreenJsonTest : public QObject {
  Q_OBJECT
private slots:
  void screen_after_packet_data();
  void screen_after_packet();
  void trailing_empty_rows_are_left_out_data();
  void trailing_empty_rows_are_left_out();
  void screens_are_named_as_their_windows();
  void messages();
  void listen_address_data();
  void listen_address();
  void settings_file_data();
  void settings_file();
  void origin_data();
  void origin();
  void urls_to_type();
};

void ScreenJsonTest::screen_after_packet_data() {
  QTest::addColumn<QString>("screen");
  QTest::addColumn<QByteArray>("packet");
  QTest::addColumn<QString>("where"); // a table id, "text:ROLE" or "chooser"
  QTest::addColumn<QString>("shown");
  QTest::newRow("scratch title") << "scratch" << QByteArray("{scratch}+{title}Keirin Heat 2{time}10.512{eop}")
                                 << "event-info-metrics" << "Keirin Heat 2";
  QTest::newRow("scratch rider, 8-bit name")
      << "scratch" << QByteArray("{scratch}+{list}0{rank}1{bib}12{name}A. RIDER \xE9\x80{nat}GBR{eop}")
      << "competitors" << QString::fromUtf8("A. RIDER é€");
  QTest::newRow("omnium heading") << "omnium"
                                  << QByteArray("{omnium}+{lines}4{cols}4{line}0{0}Rank{1}Bib{2}Name{3}Points{eop}")
                                  << "results" << "Points";
  QTest::newRow("points-race standings") << "points-race" << QByteArray("{ptsrace}+{standings}0{rnk}1{name}P. RIDER{eop}")
                                         << "standings" << "P. RIDER";
  QTest::newRow("points-race chooser")
      << "points-race" << QByteArray("{ptsrace}+{sprint}3{sname}Sprint 4{name1}12 A. RIDER{pts1}5")
      << "chooser" << "Sprint 4";
  QTest::newRow("sprint racer") << "sprint"
                                << QByteArray("{sprintf}+{title}1/4 Final Heat 1{rnk1}1{r1}12 A. RIDER{et}10.512{eop}")
                                << "heat" << "12 A. RIDER";
  QTest::newRow("sprint title") << "sprint" << QByteArray("{sprintf}+{title}1/4 Final <b>Heat</b>{eop}")
                                << "text:Heat title" << "1/4 Final <b>Heat</b>";
  QTest::newRow("time trial right racer")
      << "time-trial" << QByteArray("{tt}+{tick-hit}1{crs}1{stack}0{name}RIGHT{time}1:00.0{ltg}3")
      << "right-racer" << "RIGHT";
  QTest::newRow("time trial right time")
      << "time-trial" << QByteArray("{tt}+{tick-hit}1{crs}1{stack}0{name}RIGHT{time}1:00.0{ltg}3")
      << "text:Right time" << "1:00.0";
  QTest::newRow("time trial standings") << "time-trial" << QByteArray("{tt}+{standings}0{rnk}1{name}T. RIDER{eop}")
                                        << "standings" << "T. RIDER";
  QTest::newRow("frame line") << "frame" << QByteArray("{reradu}+{data},FINAL SPRINT,HEAT \xB2,,,,,,")
                              << "frame" << QString::fromUtf8("HEAT ²");
}

void ScreenJsonTest::screen_after_packet() {
  QFETCH(QString, screen);
  QFETCH(QByteArray, packet);
  QFETCH(QString, where);
  QFETCH(QString, shown);
  ScreenModels m;
  m.apply(packet);
  const QJsonObject s = m.json(screen);
  QCOMPARE(s["name"].toString(), screen);
  QVERIFY(!s["caption"].toString().isEmpty());
  for (const QJsonValue &t : s["tables"].toArray())
    QVERIFY2(shape_fault(t.toObject()).isEmpty(), qPrintable(shape_fault(t.toObject())));
  if (where.startsWith("text:")) {
    QCOMPARE(text_of(s, where.mid(5)), shown);
    return;
  }
  if (where == "chooser") {
    const QJsonObject c = s["chooser"].toObject();
    QVERIFY(c["entries"].toArray().toVariantList().contains(shown));
    QVERIFY(c["chosen"].toInt() >= 0);
    return;
  }
  const QJsonObject t = table_of(s, where);
  QVERIFY2(!t.isEmpty(), qPrintable("no table " + where));
  QVERIFY2(table_shows(t, shown), QJsonDocument(t).toJson(QJsonDocument::Compact).left(600).constData());
}

void ScreenJsonTest::trailing_empty_rows_are_left_out_data() {
  QTest::addColumn<QByteArrayList>("packets");
  QTest::addColumn<int>("rows");
  QTest::newRow("headings only") << QByteArrayList{"{omnium}+{lines}40{cols}3{line}0{0}A{1}{2}C"} << 1;
  QTest::newRow("a line far down") << QByteArrayList{"{omnium}+{lines}40{cols}3{line}0{0}A",
                                                     "{omnium}+{line}12{1}x"}
                                   << 13;
  QTest::newRow("line emptied again") << QByteArrayList{"{omnium}+{lines}40{cols}3{line}0{0}A",
                                                        "{omnium}+{line}12{1}x", "{omnium}+{line}12{1}"}
                                      << 1;
  QTest::newRow("huge shape") << QByteArrayList{"{omnium}+{lines}2000000000{cols}2000000000{line}0{0}A",
                                                "{omnium}+{line}3{998}last"}
                              << 4;
}

void ScreenJsonTest::trailing_empty_rows_are_left_out() {
  QFETCH(QByteArrayList, packets);
  QFETCH(int, rows);
  ScreenModels m;
  for (const QByteArray &p : packets)
    m.apply(p);
  const QJsonObject t = table_of(m.json("omnium"), "results");
  QCOMPARE(t["rows"].toInt(), rows);
  QVERIFY2(shape_fault(t).isEmpty(), qPrintable(shape_fault(t)));
}

void ScreenJsonTest::screens_are_named_as_their_windows() {
  // The page shows what the windows show: the captions and tables of the
  // JSON are the windows' own.
  ScreenModels m;
  Tcommentator_scratch scratch(m.scratch);
  Tomnium_commentator_form omnium(m.omnium);
  Tptsrace_commentator_form points_race(m.points_race);
  Tsprintr_commentator_form sprint(m.sprint);
  Ttt_commentator_form time_trial(m.time_trial);
  const QList<QPair<QString, QWidget *>> windows{
      {"scratch", &scratch}, {"omnium", &omnium}, {"points-race", &points_race},
      {"sprint", &sprint},   {"time-trial", &time_trial}};
  for (const auto &[name, window] : windows) {
    const QJsonObject s = m.json(name);
    QCOMPARE(s["caption"].toString(), window->windowTitle());
    QStringList ids;
    for (const QJsonValue &t : s["tables"].toArray())
      ids.append(t["id"].toString());
    ids.sort();
    QCOMPARE(ids, grid_ids(*window));
  }
  Treradu_commentator_form frame(m.frame);
  QCOMPARE(m.json("frame")["caption"].toString(), frame.windowTitle());
}

void ScreenJsonTest::messages() {
  ScreenModels m;
  WebFeed feed{QStringLiteral("red"), QStringLiteral("No datagram for 75 s"), 75};
  const QJsonObject snapshot =
      QJsonDocument::fromJson(snapshot_message({}, feed, {{"sprint", m.json("sprint")}, {"frame", m.json("frame")}}))
          .object();
  QCOMPARE(snapshot["type"].toString(), "snapshot");
  QCOMPARE(snapshot["version"].toInt(), 1);
  QVERIFY(snapshot["front"].isNull());
  QCOMPARE(snapshot["feed"]["stale_s"].toInt(), 75);
  QCOMPARE(snapshot["screens"].toObject().keys(), QStringList({"frame", "sprint"}));
  feed.stale_s.reset();
  const QJsonObject f = QJsonDocument::fromJson(feed_message(feed)).object();
  QCOMPARE(f["feed"]["level"].toString(), "red");
  QVERIFY(f["feed"]["stale_s"].isNull());
  QCOMPARE(QJsonDocument::fromJson(front_message("points-race")).object()["front"].toString(), "points-race");
}

void ScreenJsonTest::listen_address_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("valid");
  QTest::addColumn<QString>("address");
  QTest::addColumn<int>("port");
  QTest::newRow("port alone: all interfaces") << "29180" << true << "0.0.0.0" << 29180;
  QTest::newRow("address and port") << "127.0.0.1:29181" << true << "127.0.0.1" << 29181;
  QTest::newRow("port 0") << "0" << false << "" << 0;
  QTest::newRow("port too big") << "65536" << false << "" << 0;
  QTest::newRow("a name") << "tablet:80" << false << "" << 0;
  QTest::newRow("no port") << "10.0.0.1:" << false << "" << 0;
  QTest::newRow("IPv6") << "::1:80" << false << "" << 0;
  QTest::newRow("empty") << "" << false << "" << 0;
}

void ScreenJsonTest::listen_address() {
  QFETCH(QString, text);
  QFETCH(bool, valid);
  QFETCH(QString, address);
  QFETCH(int, port);
  const auto s = parse_listen_address(text);
  QCOMPARE(s.has_value(), valid);
  if (!valid)
    return;
  QVERIFY(s->on);
  QCOMPARE(s->address.toString(), address);
  QCOMPARE(int(s->port), port);
}

void ScreenJsonTest::settings_file_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<bool>("on");
  QTest::addColumn<QString>("address");
  QTest::addColumn<int>("port");
  const BrowserViewSettings on{true, QHostAddress("192.168.1.20"), 8080};
  QTest::newRow("as written") << browser_view_settings_text(on) << true << "192.168.1.20" << 8080;
  QTest::newRow("empty: off") << QByteArray() << false << "0.0.0.0" << 29180;
  QTest::newRow("bad values keep the defaults")
      << QByteArray("on=yes\naddress=tablet\nport=99999\n") << false << "0.0.0.0" << 29180;
  QTest::newRow("LF only, spaces") << QByteArray("on = true\nport = 8081\n") << true << "0.0.0.0" << 8081;
}

void ScreenJsonTest::settings_file() {
  QFETCH(QByteArray, text);
  QFETCH(bool, on);
  QFETCH(QString, address);
  QFETCH(int, port);
  const BrowserViewSettings s = parse_browser_view_settings(text);
  QCOMPARE(s.on, on);
  QCOMPARE(s.address.toString(), address);
  QCOMPARE(int(s.port), port);
}

void ScreenJsonTest::origin_data() {
  QTest::addColumn<QString>("origin");
  QTest::addColumn<QByteArray>("host");
  QTest::addColumn<bool>("matches");
  QTest::newRow("same") << "http://192.168.1.5:29180" << QByteArray("192.168.1.5:29180") << true;
  QTest::newRow("case") << "http://Tablet.Local:29180" << QByteArray("tablet.local:29180") << true;
  QTest::newRow("other port") << "http://192.168.1.5:8080" << QByteArray("192.168.1.5:29180") << false;
  QTest::newRow("other site") << "http://evil.example" << QByteArray("192.168.1.5:29180") << false;
  QTest::newRow("prefix trick") << "http://192.168.1.5:29180.evil.example" << QByteArray("192.168.1.5:29180") << false;
  QTest::newRow("no origin") << "" << QByteArray("192.168.1.5:29180") << false;
  QTest::newRow("null origin") << "null" << QByteArray("192.168.1.5:29180") << false;
  QTest::newRow("no host") << "http://" << QByteArray() << false;
}

void ScreenJsonTest::origin() {
  QFETCH(QString, origin);
  QFETCH(QByteArray, host);
  QFETCH(bool, matches);
  QCOMPARE(origin_matches_host(origin, host), matches);
}

void ScreenJsonTest::urls_to_type() {
  const QList<QHostAddress> local{QHostAddress("127.0.0.1"), QHostAddress("192.168.1.5"), QHostAddress("::1")};
  QCOMPARE(browser_urls(QHostAddress(QHostAddress::AnyIPv4), 29180, local),
           QStringList({"http://192.168.1.5:29180/", "http://127.0.0.1:29180/"}));
  QCOMPARE(browser_urls(QHostAddress("127.0.0.1"), 29180, local), QStringList({"http://127.0.0.1:29180/"}));
}

QTEST_MAIN(ScreenJsonTest)
#include "screen_json_test.moc"
