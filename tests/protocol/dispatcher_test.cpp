#include "protocol/dispatcher.h"
#include "protocol/fields.h"

#include <QStringList>
#include <QTest>

namespace {

const char *kind_name(PacketKind k) {
  switch (k) {
  case PacketKind::scratch:
    return "scratch";
  case PacketKind::reradu:
    return "reradu";
  case PacketKind::omnium:
    return "omnium";
  case PacketKind::sprint:
    return "sprint";
  case PacketKind::points_race:
    return "ptsrace";
  case PacketKind::time_trial:
    return "tt";
  }
  return "?";
}

// Records every call in order. Every kind answers "stop" to a "{clr}" flag,
// so a row can show that the dispatcher ignores the answer where it must;
// an omnium Packet without a readable line answers "failed".
class RecordingTarget : public DispatchTarget {
public:
  bool visible = true;
  QStringList calls;

  bool main_window_visible() const override { return visible; }
  void log_line(QByteArrayView line) override {
    calls << "log " + QString::fromLatin1(line.toByteArray());
  }
  void show_screen(PacketKind k) override { calls << QStringLiteral("show ") + kind_name(k); }
  void process_events() override { calls << "events"; }
  ApplyResult apply(PacketKind k, QByteArrayView packet) override {
    calls << QStringLiteral("apply ") + kind_name(k);
    if (is_flag(packet, "{clr}"))
      return ApplyResult::stop;
    if (k == PacketKind::omnium && !strict_number(short_text(tag_value(packet, "{line}"))))
      return ApplyResult::failed;
    return ApplyResult::go_on;
  }
};

} // namespace

class DispatcherTest : public QObject {
  Q_OBJECT
private slots:
  void order_data();
  void order();
  void hidden_main_window_dispatches_nothing();
};

void DispatcherTest::order_data() {
  QTest::addColumn<QByteArray>("packet");
  QTest::addColumn<QStringList>("calls");
  QTest::newRow("heartbeat") << QByteArray("{heartbeat}+")
                             << QStringList{"log Heartbeat received from SERVER!!"};
  QTest::newRow("heartbeat ends the dispatch")
      << QByteArray("{heartbeat}+{scratch}+{clr}+")
      << QStringList{"log Heartbeat received from SERVER!!"};
  QTest::newRow("scratch shows, passes events, applies")
      << QByteArray("{scratch}+{list}0") << QStringList{"show scratch", "events", "apply scratch"};
  QTest::newRow("scratch clear ends before omnium")
      << QByteArray("{scratch}+{clr}+{omnium}+{line}0")
      << QStringList{"show scratch", "events", "apply scratch"};
  QTest::newRow("scratch then omnium, omnium shown after applying")
      << QByteArray("{scratch}+{list}0{rank}1{omnium}+{line}0{0}Rank")
      << QStringList{"show scratch", "events", "apply scratch", "apply omnium", "show omnium"};
  QTest::newRow("failed omnium still shown, later kinds not tested")
      << QByteArray("{omnium}+{lines}10{tt}+")
      << QStringList{"apply omnium", "show omnium"};
  QTest::newRow("omnium clear ends")
      << QByteArray("{omnium}+{clr}+{sprintf}+") << QStringList{"apply omnium", "show omnium"};
  QTest::newRow("sprint then time trial")
      << QByteArray("{sprintf}+{tt}+")
      << QStringList{"show sprint", "apply sprint", "show tt", "apply tt"};
  QTest::newRow("reradu shown before applying")
      << QByteArray("{reradu}+{data},A,") << QStringList{"show reradu", "apply reradu"};
  QTest::newRow("points race clear ends before time trial")
      << QByteArray("{ptsrace}+{clr}+{tt}+") << QStringList{"show ptsrace", "apply ptsrace"};
  QTest::newRow("time trial clear does not end (last kind)")
      << QByteArray("{tt}+{clr}+") << QStringList{"show tt", "apply tt"};
  QTest::newRow("reradu and sprint never end")
      << QByteArray("{reradu}+{clr}+{sprintf}+{tt}+")
      << QStringList{"show reradu", "apply reradu", "show sprint", "apply sprint", "show tt",
                     "apply tt"};
  QTest::newRow("sprint does not end before points race")
      << QByteArray("{sprintf}+{clr}+{ptsrace}+")
      << QStringList{"show sprint", "apply sprint", "show ptsrace", "apply ptsrace"};
  QTest::newRow("kind minus selects nothing") << QByteArray("{scratch}-") << QStringList{};
  QTest::newRow("kind empty selects nothing") << QByteArray("{scratch}") << QStringList{};
  QTest::newRow("kind plus blank selects nothing") << QByteArray("{scratch}+ ") << QStringList{};
  QTest::newRow("no kind") << QByteArray("{title}x") << QStringList{};
  QTest::newRow("empty packet") << QByteArray() << QStringList{};
}

void DispatcherTest::order() {
  QFETCH(QByteArray, packet);
  QFETCH(QStringList, calls);
  RecordingTarget t;
  dispatch_packet(packet, t);
  QCOMPARE(t.calls, calls);
}

void DispatcherTest::hidden_main_window_dispatches_nothing() {
  RecordingTarget t;
  t.visible = false;
  dispatch_packet("{heartbeat}+", t);
  dispatch_packet("{scratch}+{title}X", t);
  QVERIFY(t.calls.isEmpty());
}

QTEST_APPLESS_MAIN(DispatcherTest)
#include "dispatcher_test.moc"
