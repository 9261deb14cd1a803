#include "screens/tt_commentator_form.h"
#include "toolkit/readout.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

using Side = Ttt_commentator_form::Side;
Q_DECLARE_METATYPE(Ttt_commentator_form::Side)

namespace {

const ScreenColours kColours{0x000000, 0xFFFFFF, 0x800080};

QByteArray numbered(const char *prefix, int n, const QByteArray &value) {
  return prefix + QByteArray::number(n) + "}" + value;
}

// A racer update for the left side with ToGo values t1 to t41.
QByteArray racer_update(const QByteArray &extra = {}) {
  QByteArray p = "{tt}+{tick-hit}1{crs}0{stack}0{name}A. RIDER{time}1:02.345{diff}+0.12";
  for (int i = 1; i <= 42; ++i)
    p += numbered("{ltg", i, "t" + QByteArray::number(i));
  return p + extra;
}

// A list update for the left side with Net n1.. and Diff d1..
QByteArray list_update() {
  QByteArray p = "{tt}+{audit}1{crs}0{stack}0";
  for (int i = 1; i <= 41; ++i)
    p += numbered("{n", i, "n" + QByteArray::number(i)) + numbered("{d", i, "d" + QByteArray::number(i));
  return p;
}

} // namespace

class TestTimeTrialScreen : public QObject {
  Q_OBJECT
private slots:
  void initTestCase() { qRegisterMetaType<Side>(); }
  void shown_fills_screen_and_clears();
  void side_choice_data();
  void side_choice();
  void racer_update_goes_to_chosen_side();
  void result_line_data();
  void result_line();
  void only_first_matching_test_acts_data();
  void only_first_matching_test_acts();
  void standings_position_data();
  void standings_position();
  void racer_and_list_updates_keep_each_others_columns();
  void racer_update_without_diff_empties_readout();
  void clear_racers_keeps_standings();
  void readouts_use_digital_face();
  void readout_text_never_cut_data();
  void readout_text_never_cut();
  void closing_asks_to_terminate();
};

void TestTimeTrialScreen::shown_fills_screen_and_clears() {
  Ttt_commentator_form f(kColours);
  // Browsers see the model before any window is made over it: the
  // summaries' columns already fill the window's boxes.
  TtModel alone(kColours);
  QCOMPARE(alone.summary(Side::left).col_width(0), f.summary_view(Side::left)->width());
  QCOMPARE(alone.summary(Side::right).col_width(0), f.summary_view(Side::right)->width());
  QCOMPARE(f.windowTitle(), QStringLiteral("TT Vorevadovid Screen"));
  QCOMPARE(f.accessibleName(), f.windowTitle());
  f.apply_packet("{tt}+{standings}0{rnk}1{name}Before");
  const QRect screen(0, 0, 1920, 1080);
  f.set_screen_geometry_source([screen] { return screen; });
  f.show();
  QCOMPARE(f.frameGeometry(), screen);
  QCOMPARE(f.standings().cell(1, 1), QByteArray());
  QCOMPARE(f.standings().row_height(50), 18);
  QCOMPARE(f.list(Side::left).row_height(41), 18);
  QCOMPARE(f.summary(Side::left).row_height(3), 24);
  QCOMPARE(f.list(Side::right).cell(2, 0), QByteArray("Diff"));
  QCOMPARE(f.standings().fixed_colour(), QColor(0x80, 0x00, 0x80));
  QCOMPARE(f.summary(Side::right).cell_colour(), QColor(Qt::black));
  QCOMPARE(f.summary(Side::left).col_width(0), 249);
  QCOMPARE(f.summary(Side::right).col_width(0), 245);
  // The panels keep to their edges, the standings stay centred between them.
  QCOMPARE(f.panel_box(Side::left)->geometry(), QRect(8, 4, 441, 570 + f.height() - 578));
  QCOMPARE(f.panel_box(Side::right)->geometry().right(), f.width() - 1 - 6);
  const QRect standings_box = f.standings_view()->parentWidget()->geometry();
  const double design_centre = 247 + 401 / 2.0;
  QVERIFY(qAbs(standings_box.center().x() - design_centre * f.width() / 885) <= 2);
  QCOMPARE(standings_box.height(), 438 + f.height() - 578);
}

void TestTimeTrialScreen::side_choice_data() {
  QTest::addColumn<QByteArray>("tags");
  QTest::addColumn<Side>("side");
  QTest::newRow("0/0") << QByteArray("{crs}0{stack}0") << Side::left;
  QTest::newRow("1/1") << QByteArray("{crs}1{stack}1") << Side::left;
  QTest::newRow("0/1") << QByteArray("{crs}0{stack}1") << Side::right;
  QTest::newRow("1/0") << QByteArray("{crs}1{stack}0") << Side::right;
  QTest::newRow("crs missing") << QByteArray("{stack}0") << Side::right;
  QTest::newRow("both missing") << QByteArray() << Side::right;
  QTest::newRow("2/2") << QByteArray("{crs}2{stack}2") << Side::right;
  QTest::newRow("00/00") << QByteArray("{crs}00{stack}00") << Side::right;
  QTest::newRow("blank 0") << QByteArray("{crs} 0{stack} 0") << Side::right;
  QTest::newRow("stack first") << QByteArray("{stack}1{crs}1") << Side::left;
}

void TestTimeTrialScreen::side_choice() {
  QFETCH(QByteArray, tags);
  QFETCH(Side, side);
  QCOMPARE(TtModel::choose_side("{tt}+{tick-hit}1" + tags + "{eop}"), side);
}

void TestTimeTrialScreen::racer_update_goes_to_chosen_side() {
  Ttt_commentator_form f(kColours);
  f.show();
  f.apply_packet("{tt}+{tick-hit}1{crs}1{stack}0{name}RIGHT{time}1:00.0{ltg}3");
  QCOMPARE(f.summary(Side::right).cell(0, 0), QByteArray("RIGHT"));
  QCOMPARE(f.summary(Side::right).cell(0, 2), QByteArray("3"));
  QCOMPARE(f.time_readout(Side::right)->text(), QStringLiteral("1:00.0"));
  QCOMPARE(f.summary(Side::left).cell(0, 0), QByteArray());
  QCOMPARE(f.time_readout(Side::left)->text(), QString());
  f.apply_packet("{tt}+{tick-hit}1{crs}1{stack}1{name}LEFT{dist}750");
  QCOMPARE(f.summary(Side::left).cell(0, 0), QByteArray("LEFT"));
  QCOMPARE(f.summary(Side::left).cell(0, 3), QByteArray("750"));
  QCOMPARE(f.summary(Side::right).cell(0, 0), QByteArray("RIGHT"));
}

void TestTimeTrialScreen::result_line_data() {
  QTest::addColumn<QByteArray>("tags");
  QTest::addColumn<QByteArray>("line");
  QTest::newRow("all four") << QByteArray("{time}1:02.3{diff}+0.1{rank}2{spdk}55.1")
                            << QByteArray("1:02.3  /  +0.1  /  2  /  55.1");
  QTest::newRow("time and rank") << QByteArray("{time}1:02.3{rank}2") << QByteArray("1:02.3  /  2");
  QTest::newRow("time only") << QByteArray("{time}1:02.3") << QByteArray("1:02.3");
  QTest::newRow("no time") << QByteArray("{diff}+0.1{spdk}55") << QByteArray("  /  +0.1  /  55");
  QTest::newRow("nothing") << QByteArray() << QByteArray();
  const QByteArray long_value(240, 'v');
  QTest::newRow("cut to 255") << QByteArray("{time}" + long_value + "{rank}123456789012345678")
                              << QByteArray(long_value + "  /  1234567890");
}

void TestTimeTrialScreen::result_line() {
  QFETCH(QByteArray, tags);
  QFETCH(QByteArray, line);
  Ttt_commentator_form f(kColours);
  f.apply_packet("{tt}+{tick-hit}1{crs}0{stack}0" + tags + "{eop}");
  QCOMPARE(f.summary(Side::left).cell(0, 1), line);
}

void TestTimeTrialScreen::only_first_matching_test_acts_data() {
  QTest::addColumn<QByteArray>("packet");
  QTest::addColumn<bool>("standings_kept"); // row 1 still "old"
  QTest::addColumn<QByteArray>("name");     // left summary row 0
  QTest::addColumn<QByteArray>("row_2");    // standings row 3 column 1
  QTest::addColumn<QByteArray>("net_1");    // left list row 1 "Net"
  QTest::newRow("clr before standings")
      << QByteArray("{tt}+{clr}+{standings}2{name}X") << false << QByteArray() << QByteArray() << QByteArray();
  QTest::newRow("clr_racers before standings")
      << QByteArray("{tt}+{clr_racers}+{standings}2{name}X") << true << QByteArray() << QByteArray()
      << QByteArray();
  QTest::newRow("standings before tick-hit")
      << QByteArray("{tt}+{standings}2{name}X{tick-hit}1{crs}0{stack}0") << true << QByteArray("OLD")
      << QByteArray("X") << QByteArray("n1");
  QTest::newRow("tick-hit before audit")
      << QByteArray("{tt}+{tick-hit}1{audit}1{crs}0{stack}0{name}NEW{n1}Z") << true << QByteArray("NEW")
      << QByteArray() << QByteArray("n1");
  QTest::newRow("empty tick-hit does nothing")
      << QByteArray("{tt}+{tick-hit}{crs}0{stack}0{name}NEW") << true << QByteArray("OLD") << QByteArray()
      << QByteArray("n1");
  QTest::newRow("empty audit does nothing")
      << QByteArray("{tt}+{audit}{crs}0{stack}0{n1}Z") << true << QByteArray("OLD") << QByteArray() << QByteArray("n1");
  QTest::newRow("clr not a flag") << QByteArray("{tt}+{clr}++") << true << QByteArray("OLD") << QByteArray()
                                  << QByteArray("n1");
}

void TestTimeTrialScreen::only_first_matching_test_acts() {
  QFETCH(QByteArray, packet);
  QFETCH(bool, standings_kept);
  QFETCH(QByteArray, name);
  QFETCH(QByteArray, row_2);
  QFETCH(QByteArray, net_1);
  Ttt_commentator_form f(kColours);
  f.show();
  f.apply_packet("{tt}+{standings}0{name}old");
  f.apply_packet("{tt}+{tick-hit}1{crs}0{stack}0{name}OLD");
  f.apply_packet(list_update());
  QCOMPARE(f.apply_packet(packet), ApplyResult::go_on);
  QCOMPARE(f.standings().cell(1, 1), standings_kept ? QByteArray("old") : QByteArray());
  QCOMPARE(f.summary(Side::left).cell(0, 0), name);
  QCOMPARE(f.standings().cell(1, 3), row_2);
  QCOMPARE(f.list(Side::left).cell(1, 1), net_1);
}

void TestTimeTrialScreen::standings_position_data() {
  QTest::addColumn<QByteArray>("standings");
  QTest::addColumn<int>("row"); // -1: nothing written
  QTest::newRow("0") << QByteArray("0") << 1;
  QTest::newRow("98") << QByteArray("98") << 99;
  QTest::newRow("99") << QByteArray("99") << -1;
  QTest::newRow("-1") << QByteArray("-1") << -1;
  QTest::newRow("abc") << QByteArray("abc") << 1;
  QTest::newRow("7th") << QByteArray("7th") << 8;
}

void TestTimeTrialScreen::standings_position() {
  QFETCH(QByteArray, standings);
  QFETCH(int, row);
  Ttt_commentator_form f(kColours);
  for (int p = 0; p < 99; ++p)
    f.apply_packet("{tt}+{standings}" + QByteArray::number(p) + "{name}old");
  f.apply_packet("{tt}+{standings}" + standings + "{rnk}1{name}NEW{score}1:01{dif}+0.5{diff}no");
  for (int r = 1; r < 100; ++r)
    QCOMPARE(f.standings().cell(1, r), r == row ? QByteArray("NEW") : QByteArray("old"));
  if (row > 0) {
    QCOMPARE(f.standings().cell(0, row), QByteArray("1"));
    QCOMPARE(f.standings().cell(2, row), QByteArray("1:01"));
    QCOMPARE(f.standings().cell(3, row), QByteArray("+0.5"));
  }
  QCOMPARE(f.standings().cell(1, 0), QByteArray());
}

void TestTimeTrialScreen::racer_and_list_updates_keep_each_others_columns() {
  Ttt_commentator_form f(kColours);
  f.show();
  f.apply_packet(list_update());
  f.apply_packet(racer_update());
  const TextGridModel &l = f.list(Side::left);
  QCOMPARE(l.cell(0, 1), QByteArray("t1"));
  QCOMPARE(l.cell(0, 41), QByteArray("t41"));
  QCOMPARE(l.cell(1, 41), QByteArray("n41"));
  QCOMPARE(l.cell(2, 1), QByteArray("d1"));
  QCOMPARE(l.cell(0, 0), QByteArray("ToGo"));
  // A later racer update without ToGo tags empties that column only.
  f.apply_packet("{tt}+{tick-hit}1{crs}0{stack}0");
  QCOMPARE(l.cell(0, 5), QByteArray());
  QCOMPARE(l.cell(1, 5), QByteArray("n5"));
  // A list update without tags empties Net and Diff only.
  f.apply_packet(racer_update());
  f.apply_packet("{tt}+{audit}1{crs}0{stack}0");
  QCOMPARE(l.cell(1, 5), QByteArray());
  QCOMPARE(l.cell(2, 5), QByteArray());
  QCOMPARE(l.cell(0, 5), QByteArray("t5"));
  QCOMPARE(f.list(Side::right).cell(0, 5), QByteArray());
}

void TestTimeTrialScreen::racer_update_without_diff_empties_readout() {
  Ttt_commentator_form f(kColours);
  f.apply_packet(racer_update());
  QCOMPARE(f.diff_readout(Side::left)->text(), QStringLiteral("+0.12"));
  QCOMPARE(f.time_readout(Side::left)->text(), QStringLiteral("1:02.345"));
  f.apply_packet("{tt}+{tick-hit}1{crs}0{stack}0{time}1:03.0");
  QCOMPARE(f.diff_readout(Side::left)->text(), QString());
  QCOMPARE(f.time_readout(Side::left)->text(), QStringLiteral("1:03.0"));
}

void TestTimeTrialScreen::clear_racers_keeps_standings() {
  Ttt_commentator_form f(kColours);
  f.apply_packet("{tt}+{standings}3{name}kept");
  f.apply_packet(racer_update());
  f.apply_packet(list_update());
  f.apply_packet("{tt}+{tick-hit}1{name}R{time}9");
  QCOMPARE(f.apply_packet("{tt}+{clr_racers}+"), ApplyResult::go_on);
  QCOMPARE(f.standings().cell(1, 4), QByteArray("kept"));
  for (Side side : {Side::left, Side::right}) {
    QCOMPARE(f.summary(side).stored_cells(), qsizetype(0));
    QCOMPARE(f.list(side).stored_cells(), qsizetype(3));
    QCOMPARE(f.list(side).cell(0, 0), QByteArray("ToGo"));
    QCOMPARE(f.list(side).cell(1, 0), QByteArray("Net"));
    QCOMPARE(f.list(side).cell(2, 0), QByteArray("Diff"));
    QCOMPARE(f.time_readout(side)->text(), QString());
    QCOMPARE(f.diff_readout(side)->text(), QString());
  }
  QCOMPARE(f.apply_packet("{tt}+{clr}+"), ApplyResult::go_on);
  QCOMPARE(f.standings().stored_cells(), qsizetype(0));
}

void TestTimeTrialScreen::readouts_use_digital_face() {
  Ttt_commentator_form f(kColours);
  const bool dseg = QFontDatabase::families().contains(QStringLiteral("DSEG7 Classic"));
  for (Side side : {Side::left, Side::right}) {
    for (QLabel *l : {f.time_readout(side), f.diff_readout(side)}) {
      if (dseg)
        QCOMPARE(l->font().family(), QStringLiteral("DSEG7 Classic"));
      QCOMPARE(l->font().pixelSize(), 48);
      QVERIFY(l->font().bold());
      QCOMPARE(l->size(), QSize(182, 48));
      QCOMPARE(l->palette().color(QPalette::WindowText), QColor(0xFF, 0xFF, 0x00));
      QCOMPARE(l->palette().color(QPalette::Window), QColor(Qt::black));
      const Qt::Alignment want = side == Side::left ? Qt::AlignRight : Qt::AlignLeft;
      QCOMPARE(l->alignment() & Qt::AlignHorizontal_Mask, want);
    }
  }
}

namespace {

// Columns of a grab holding any of the read-outs' yellow.
QList<int> ink_columns(const QImage &image) {
  QList<int> columns;
  for (int x = 0; x < image.width(); ++x) {
    for (int y = 0; y < image.height(); ++y) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 96 && c.green() > 96 && c.blue() < 64) {
        columns.append(x);
        break;
      }
    }
  }
  return columns;
}

} // namespace

void TestTimeTrialScreen::readout_text_never_cut_data() {
  QTest::addColumn<QByteArray>("tags");
  QTest::addColumn<bool>("full_size"); // sure to fit at full size with any digital face
  const struct {
    const char *text;
    bool full_size;
  } texts[] = {{"1:02.345", false}, {"10:59.999", false}, {"-12.345", false}, {"+0.456", false}, {"DNF", true}};
  for (const auto &t : texts) {
    for (const char *side : {"{crs}0{stack}0", "{crs}1{stack}0"}) {
      const QByteArray where = side[5] == '0' ? " left" : " right";
      QTest::newRow(t.text + where + " time")
          << QByteArray(side) + "{time}" + t.text << t.full_size;
      QTest::newRow(t.text + where + " diff")
          << QByteArray(side) + "{time}DNF{diff}" + t.text << t.full_size;
    }
  }
}

void TestTimeTrialScreen::readout_text_never_cut() {
  QFETCH(QByteArray, tags);
  QFETCH(bool, full_size);
  Ttt_commentator_form f(kColours);
  f.set_screen_geometry_source([] { return QRect(0, 0, 1366, 768); });
  f.show();
  // The same text on the other side first: its read-outs are narrower or
  // wider, so what was fitted there does not hold here.
  QByteArray other = tags;
  other[5] = tags[5] == '0' ? '1' : '0';
  f.apply_packet("{tt}+{tick-hit}1" + other);
  f.apply_packet("{tt}+{tick-hit}1" + tags);
  const Side side = tags.startsWith("{crs}0") ? Side::left : Side::right;
  QLabel *readout = tags.contains("{diff}") ? f.diff_readout(side) : f.time_readout(side);
  const QString text = readout->text();
  QVERIFY(!text.isEmpty());
  QCOMPARE(readout->size(), QSize(182, 48));

  // The face is chosen by a function of the text and the width alone.
  const QFont face = Ttt_commentator_form::readout_font();
  const int width = readout->contentsRect().width();
  const QFont fitted = fit_readout_font(text, face, width);
  QCOMPARE(readout->font(), fitted);
  const QFontMetricsF m(fitted);
  QVERIFY(m.horizontalAdvance(text) <= width);
  QVERIFY(m.tightBoundingRect(text).right() < width);
  if (full_size) {
    QCOMPARE(fitted.pixelSize(), 48);
    QCOMPARE(fitted.stretch(), int(QFont::Unstretched));
  }

  // Drawn: every inked column lies inside the part of the box that nothing
  // covers, with the edge columns of that part clean, so nothing was cut.
  QRect free(QPoint(0, 0), readout->size());
  if (side == Side::right) {
    // The summary lies in front of the inner end of the right read-outs.
    const QRect covered = f.summary_view(side)->geometry().intersected(readout->geometry());
    QVERIFY(!covered.isEmpty());
    free.setRight(covered.left() - readout->x() - 1);
  }
  const QImage drawn = readout->grab().toImage();
  const QList<int> ink = ink_columns(drawn);
  QVERIFY(!ink.isEmpty());
  QVERIFY2(ink.first() > free.left() && ink.last() < free.right(),
           qPrintable(QStringLiteral("ink %1..%2, free %3..%4")
                          .arg(ink.first()).arg(ink.last()).arg(free.left()).arg(free.right())));
  // And up and down: the figures sit in the middle of the box, whatever
  // face a sign of theirs comes from.
  const QList<int> rows = ink_columns(drawn.transformed(QTransform(0, 1, 1, 0, 0, 0)));
  const int above = rows.first(), below = drawn.height() - 1 - rows.last();
  QVERIFY2(qAbs(above - below) <= 1, qPrintable(QStringLiteral("%1 above, %2 below").arg(above).arg(below)));
  // Screen readers read what it shows.
  QCOMPARE(readout->accessibleName(), text);
  QCOMPARE(readout->textFormat(), Qt::PlainText);
}

void TestTimeTrialScreen::closing_asks_to_terminate() {
  Ttt_commentator_form f(kColours);
  QSignalSpy spy(&f, &Ttt_commentator_form::terminate_requested);
  f.show();
  QVERIFY(f.close());
  QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestTimeTrialScreen)
#include "tst_tt_screen.moc"
