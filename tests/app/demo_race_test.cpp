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
#include "tap/capture.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>

// The demo race played into the whole program as fast as it can take it.
class DemoRaceTest : public QObject {
  Q_OBJECT
private slots:
  void every_screen_shows_the_race();
};

void DemoRaceTest::every_screen_shows_the_race() {
  const QByteArray text = read_file(QStringLiteral(DEMO_RACE));
  const tap::CaptureParse capture = tap::parse_capture(text);
  QVERIFY2(capture.ok(), qPrintable(capture.error));
  QVERIFY(capture.records.size() > 50);

  TempDataFolder data;
  RecordingDialogs dialogs;
  AppState state;
  state.seams = test_seams(dialogs, data.folder());
  state.ports = {0, 0};
  CommentatorWindows windows(state);
  windows.main_window().show();
  for (const tap::CaptureRecord &r : capture.records)
    windows.main_window().handle_datagram(r.payload, "127.0.0.1");

  for (PacketKind k : {PacketKind::scratch, PacketKind::reradu, PacketKind::omnium,
                       PacketKind::sprint, PacketKind::points_race, PacketKind::time_trial})
    QVERIFY2(windows.screen(k)->isVisible(), qPrintable(QString::number(int(k))));

  auto &scratch = *static_cast<Tcommentator_scratch *>(windows.screen(PacketKind::scratch));
  // The meeting ends on a whole field, not an emptied heat.
  QCOMPARE(scratch.event_table().cell(1, 0), QByteArray("Scratch Race Men Final - Result"));
  QCOMPARE(scratch.competitor_table().cell(2, 1), QByteArray("A. RIDER"));
  QCOMPARE(scratch.competitor_table().cell(4, 24), QByteArray("DNF"));
  QCOMPARE(scratch.competitor_table().cell(2, 25), QByteArray());

  auto &omnium = *static_cast<Tomnium_commentator_form *>(windows.screen(PacketKind::omnium));
  QCOMPARE(omnium.results().row_count(), 9);
  QCOMPARE(omnium.results().cell(2, 0), QByteArray("Name"));
  QCOMPARE(omnium.results().cell(2, 1), QByteArray("A. RIDER"));
  QCOMPARE(omnium.results().cell(7, 8), QByteArray("84"));

  auto &points = *static_cast<Tptsrace_commentator_form *>(windows.screen(PacketKind::points_race));
  QCOMPARE(points.standings().cell(1, 1), QByteArray("7 M. VOSS"));
  QCOMPARE(points.standings().cell(3, 1), QByteArray("13"));
  QCOMPARE(points.chooser()->itemText(3), QStringLiteral("Sprint 4 - lap 10"));
  QCOMPARE(points.chooser()->currentIndex(), 0);
  QCOMPARE(points.sprint_table().cell(1, 1), QByteArray("12 A. RIDER"));

  auto &sprint = *static_cast<Tsprintr_commentator_form *>(windows.screen(PacketKind::sprint));
  QCOMPARE(sprint.title_label()->text(), QStringLiteral("Sprint Women 1/4 Final Heat 2"));
  QCOMPARE(sprint.heat_table().cell(2, 1), QByteArray("23 C. WALSH IRL"));
  QCOMPARE(sprint.heat_table().cell(2, 2), QByteArray()); // two racers after four

  auto &tt = *static_cast<Ttt_commentator_form *>(windows.screen(PacketKind::time_trial));
  QCOMPARE(tt.standings().cell(1, 2), QByteArray("K. TANAKA"));
  QCOMPARE(tt.summary(Ttt_commentator_form::Side::left).cell(0, 0), QByteArray("K. TANAKA"));
  QCOMPARE(tt.summary(Ttt_commentator_form::Side::right).cell(0, 0), QByteArray("J. OKAFOR"));
  QVERIFY(!tt.time_readout(Ttt_commentator_form::Side::left)->text().isEmpty());

  auto &reradu = *static_cast<Treradu_commentator_form *>(windows.screen(PacketKind::reradu));
  QCOMPARE(reradu.lines().value(0), QByteArray("KEIRIN FINAL"));
  QCOMPARE(reradu.lines().size(), 8);
}

QTEST_MAIN(DemoRaceTest)
#include "demo_race_test.moc"
