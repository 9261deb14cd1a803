#include "screens/commentator_scratch.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

ScreenColours start_up_colours() { return {0x000000, 0xFFFFFF, 0x800080}; }

// The rows of the competitor table whose bib column holds the text.
QList<int> rows_with_bib(const TextGridModel &t, const QByteArray &bib) {
  QList<int> rows;
  for (int r = 0; r < t.row_count(); ++r)
    if (t.cell(1, r) == bib)
      rows << r;
  return rows;
}

bool only_headings(const TextGridModel &event, const TextGridModel &comp) {
  for (int r = 0; r < event.row_count(); ++r)
    if (!event.cell(1, r).isEmpty())
      return false;
  for (int r = 1; r < comp.row_count(); ++r)
    for (int c = 0; c < comp.col_count(); ++c)
      if (!comp.cell(c, r).isEmpty())
        return false;
  return event.cell(0, 0) == "Heat Title:" && event.cell(0, 1) == "Time:" &&
         event.cell(0, 2) == "Speed:" && comp.cell(0, 0) == "Rank" && comp.cell(2, 0) == "Competitor" &&
         comp.cell(5, 0) == "Laps-";
}

} // namespace

class TestScratchScreen : public QObject {
  Q_OBJECT
private slots:
  void created_shape_and_colours();
  void example_heat_then_line();
  void list_value_picks_row_data();
  void list_value_picks_row();
  void title_starts_new_heat_data();
  void title_starts_new_heat();
  void bare_packet_overwrites_row_1();
  void clear_leaves_headings_and_stops();
  void showing_clears();
  void closing_asks_to_terminate();
};

void TestScratchScreen::created_shape_and_colours() {
  const ScreenColours colours = start_up_colours();
  Tcommentator_scratch s(colours);
  QCOMPARE(s.windowTitle(), QStringLiteral("Vorevadovid Screen, Scratch / Keiren"));
  QCOMPARE(s.accessibleName(), s.windowTitle());
  QCOMPARE(s.event_table().row_count(), 3);
  QCOMPARE(s.event_table().col_count(), 2);
  QCOMPARE(s.event_table().fixed_rows(), 0);
  QCOMPARE(s.event_table().fixed_cols(), 0);
  QCOMPARE(s.event_table().col_width(1), 400);
  QCOMPARE(s.competitor_table().row_count(), 51);
  QCOMPARE(s.competitor_table().col_count(), 6);
  QCOMPARE(s.competitor_table().fixed_rows(), 1);
  QCOMPARE(s.competitor_table().fixed_cols(), 0);
  QCOMPARE(s.competitor_table().col_width(2), 360);
  QCOMPARE(s.competitor_table().cell_colour(), QColor(Qt::black));
  QCOMPARE(s.competitor_table().text_colour(), QColor(Qt::white));
  QCOMPARE(s.competitor_table().fixed_colour(), QColor(0x80, 0x00, 0x80));
  QVERIFY(only_headings(s.event_table(), s.competitor_table()));
}

void TestScratchScreen::example_heat_then_line() {
  const ScreenColours colours = start_up_colours();
  ScratchModel s(colours);
  QCOMPARE(s.apply_packet("{scratch}+{title}Keirin Heat 2{time}10.512{spd}68.49{eop}"),
           ApplyResult::go_on);
  QCOMPARE(s.apply_packet("{scratch}+{list}0{rank}1{bib}12{name}A. RIDER{nat}GBR{status}{laps}{eop}"),
           ApplyResult::go_on);
  const TextGridModel &e = s.event_table();
  QCOMPARE(e.cell(1, 0), QByteArray("Keirin Heat 2"));
  QCOMPARE(e.cell(1, 1), QByteArray("10.512"));
  QCOMPARE(e.cell(1, 2), QByteArray("68.49"));
  const TextGridModel &c = s.competitor_table();
  QCOMPARE(c.cell(0, 1), QByteArray("1"));
  QCOMPARE(c.cell(1, 1), QByteArray("12"));
  QCOMPARE(c.cell(2, 1), QByteArray("A. RIDER"));
  QCOMPARE(c.cell(3, 1), QByteArray("GBR"));
  QCOMPARE(c.cell(4, 1), QByteArray());
  QCOMPARE(c.cell(0, 0), QByteArray("Rank"));
}

void TestScratchScreen::list_value_picks_row_data() {
  QTest::addColumn<QByteArray>("list");
  QTest::addColumn<int>("row"); // -1: no row written, and no change told
  QTest::newRow("0") << QByteArray("{list}0") << 1;
  QTest::newRow("49, the last row") << QByteArray("{list}49") << 50;
  QTest::newRow("50") << QByteArray("{list}50") << -1;
  QTest::newRow("-1") << QByteArray("{list}-1") << -1;
  QTest::newRow("3rd") << QByteArray("{list}3rd") << 4;
  QTest::newRow("blank then 3") << QByteArray("{list} 3") << 4;
  QTest::newRow("x") << QByteArray("{list}x") << 1;
  QTest::newRow("abc") << QByteArray("{list}abc") << 1;
  QTest::newRow("absent") << QByteArray() << 1;
  QTest::newRow("huge") << QByteArray("{list}99999999999") << -1;
}

void TestScratchScreen::list_value_picks_row() {
  QFETCH(QByteArray, list);
  QFETCH(int, row);
  const ScreenColours colours = start_up_colours();
  ScratchModel s(colours);
  QSignalSpy changed(&s, &ScratchModel::changed);
  QCOMPARE(s.apply_packet("{scratch}+" + list + "{bib}77{eop}"), ApplyResult::go_on);
  const QList<int> rows = rows_with_bib(s.competitor_table(), "77");
  QCOMPARE(rows, row < 0 ? QList<int>{} : QList<int>{row});
  QCOMPARE(changed.count(), row < 0 ? 0 : 1);
}

void TestScratchScreen::title_starts_new_heat_data() {
  QTest::addColumn<QByteArray>("packet");
  QTest::addColumn<QByteArray>("title");
  QTest::newRow("title and list") << QByteArray("{scratch}+{list}2{bib}9{title}Final{eop}")
                                  << QByteArray("Final");
  QTest::newRow("empty title") << QByteArray("{scratch}+{title}{eop}") << QByteArray();
  QTest::newRow("title at the end") << QByteArray("{scratch}+{title}") << QByteArray();
}

void TestScratchScreen::title_starts_new_heat() {
  QFETCH(QByteArray, packet);
  QFETCH(QByteArray, title);
  const ScreenColours colours = start_up_colours();
  ScratchModel s(colours);
  s.apply_packet("{scratch}+{title}Old{time}1{spd}2");
  s.apply_packet("{scratch}+{list}5{bib}31{name}OLD RIDER");
  QCOMPARE(s.apply_packet(packet), ApplyResult::go_on);
  QCOMPARE(s.event_table().cell(1, 0), title);
  if (title.isEmpty())
    QVERIFY(only_headings(s.event_table(), s.competitor_table()));
  QCOMPARE(s.event_table().cell(1, 1), QByteArray());
  QVERIFY(rows_with_bib(s.competitor_table(), "31").isEmpty());
  QVERIFY(rows_with_bib(s.competitor_table(), "9").isEmpty());
}

void TestScratchScreen::bare_packet_overwrites_row_1() {
  const ScreenColours colours = start_up_colours();
  ScratchModel s(colours);
  s.apply_packet("{scratch}+{list}0{rank}1{bib}12{name}A. RIDER{nat}GBR{status}DNF{laps}3");
  s.apply_packet("{scratch}+{name}B. RIDER");
  const TextGridModel &c = s.competitor_table();
  QCOMPARE(c.cell(2, 1), QByteArray("B. RIDER"));
  for (int col : {0, 1, 3, 4, 5})
    QCOMPARE(c.cell(col, 1), QByteArray());
}

void TestScratchScreen::clear_leaves_headings_and_stops() {
  const ScreenColours colours = start_up_colours();
  ScratchModel s(colours);
  s.apply_packet("{scratch}+{title}Heat{time}1{spd}2");
  s.apply_packet("{scratch}+{list}7{rank}8{bib}9");
  // A clear reads nothing else of its Packet.
  QCOMPARE(s.apply_packet("{scratch}+{clr}+{title}New{list}1{bib}5"), ApplyResult::stop);
  QVERIFY(only_headings(s.event_table(), s.competitor_table()));
  QCOMPARE(s.apply_packet("{scratch}+{clr}+"), ApplyResult::stop);
  QCOMPARE(s.apply_packet("{scratch}+{clr}+ {list}1{bib}5"), ApplyResult::go_on);
}

void TestScratchScreen::showing_clears() {
  const ScreenColours colours = start_up_colours();
  Tcommentator_scratch s(colours);
  s.apply_packet("{scratch}+{title}Before show");
  s.apply_packet("{scratch}+{list}3{bib}44");
  s.show();
  QVERIFY(only_headings(s.event_table(), s.competitor_table()));
  s.apply_packet("{scratch}+{list}3{bib}44");
  s.hide();
  QCOMPARE(rows_with_bib(s.competitor_table(), "44"), QList<int>{4});
}

void TestScratchScreen::closing_asks_to_terminate() {
  const ScreenColours colours = start_up_colours();
  Tcommentator_scratch s(colours);
  QSignalSpy spy(&s, &Tcommentator_scratch::terminate_requested);
  s.show();
  QVERIFY(s.close());
  QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestScratchScreen)
#include "tst_scratch_screen.moc"
