#include "rtd/qd_settings.h"
#include "reradu/reradu_setup_form.h"

#include <QComboBox>
#include <QSpinBox>
#include <QtTest>

class TestReraduSetup : public QObject {
  Q_OBJECT
private slots:
  void fixed_settings();
  void creation_fills_tables_and_controls();
  void spin_ranges_data();
  void spin_ranges();
};

void TestReraduSetup::fixed_settings() {
  const QdSettings s;
  QCOMPARE(s.qd_chars_per_line, 25);
  QCOMPARE(s.qd_code, 1);
  QCOMPARE(s.rtd_winsock_port, 0);
  QCOMPARE(s.qd_commentator_port, 0);
  QCOMPARE(s.rtd_com_port, 0);
}

void TestReraduSetup::creation_fills_tables_and_controls() {
  QdNameTables names;
  Treradu_setup_form form(names);
  QCOMPARE(form.windowTitle(), QStringLiteral("RERadu Setup"));
  QCOMPARE(names.qd_display_types[0], QByteArray("None"));
  QCOMPARE(names.qd_display_types[1], QByteArray("Ferranti 128x48"));
  QCOMPARE(names.qd_display_types[4], QByteArray("AES 120 x 40"));
  QCOMPARE(names.qd_font_names[1], QByteArray("6 x 5 single stroke"));
  QCOMPARE(names.qd_font_names[6], QByteArray("13 x 13 triple stroke"));
  QCOMPARE(form.font_box()->count(), 6);
  QVERIFY(!form.font_box()->isEditable());
  QCOMPARE(form.font_box()->itemText(0), QStringLiteral("6 x 5 single stroke"));
  QCOMPARE(form.font_box()->itemText(2), QStringLiteral("8 x 7 double stroke"));
  QCOMPARE(form.font_box()->itemText(5), QStringLiteral("13 x 13 triple stroke"));
  Treradu_globals_form globals;
  QCOMPARE(globals.windowTitle(), QStringLiteral("reradu_globals_form"));
}

void TestReraduSetup::spin_ranges_data() {
  QTest::addColumn<int>("which");
  QTest::addColumn<int>("low");
  QTest::addColumn<int>("high");
  QTest::newRow("Lines") << 1 << 4 << 8;
  QTest::newRow("Rows Between Text") << 2 << 1 << 6;
  QTest::newRow("Characters Per Line") << 3 << 10 << 30;
}

void TestReraduSetup::spin_ranges() {
  QFETCH(int, which);
  QFETCH(int, low);
  QFETCH(int, high);
  QdNameTables names;
  Treradu_setup_form form(names);
  QSpinBox *box = which == 1 ? form.lines_box() : which == 2 ? form.rows_between_box() : form.characters_box();
  QCOMPARE(box->minimum(), low);
  QCOMPARE(box->maximum(), high);
}

QTEST_MAIN(TestReraduSetup)
#include "setup_test.moc"
