#include "suite/suite_settings.h"
#include "support/recording_dialogs.h"
#include "support/test_env.h"

#include <QDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using SettingsChange = std::function<void(suite_settings &, SuiteSettingsSources &)>;
Q_DECLARE_METATYPE(SettingsChange)

namespace {

// The sources as start-up leaves them: the main window's colours, the default
// address, the RTD switch on.
SuiteSettingsSources fresh_sources() {
  return {{0x000000, 0xFFFFFF, 0x800080}, "255.255.255.255", true, 0};
}

// The fresh file written out by hand, line by line.
QByteArray fresh_file(const QByteArray &address = "255.255.255.255") {
  QList<QByteArray> lines;
  auto ints = [&](int n) {
    for (int i = 0; i < n; ++i)
      lines << "0";
  };
  const QByteArray zero = " 0.00000000000000E+0000";
  ints(2);                 // 1-2
  lines << "" << "";       // 3-4
  lines << zero << zero;   // 5-6
  ints(11 + 4 + 3 + 31);   // 7-55
  lines << "";             // 56
  ints(4);                 // 57-60
  lines << "1";            // 61
  lines << "";             // 62
  lines << "0" << "16777215" << "8388736"; // 63-65
  ints(8);                 // 66-73
  lines << "" << "";       // 74-75
  ints(6);                 // 76-81
  lines << address;        // 82
  lines << "1";            // 83
  lines << "" << "";       // 84-85
  ints(3);                 // 86-88
  lines << "" << "" << "" << ""; // 89-92
  ints(2);                 // 93-94
  Q_ASSERT(lines.size() == 94);
  QByteArray out;
  for (const QByteArray &l : lines)
    out += l + "\r\n";
  return out;
}

QList<QByteArray> lines_of(const QByteArray &file) {
  QList<QByteArray> lines = file.split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty())
    lines.removeLast();
  for (QByteArray &l : lines)
    if (l.endsWith('\r'))
      l.chop(1);
  return lines;
}

// Caps the size of any file this process writes, so a write fails the way a
// full disk makes it fail; put back when it goes out of scope.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lim = old_;
    lim.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &lim) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }
  bool ok() const { return ok_; }

private:
  rlimit old_{};
  void (*old_handler_)(int) = nullptr;
  bool ok_ = false;
};

} // namespace

class SuiteSettingsTest : public QObject {
  Q_OBJECT
private slots:
  void real_form_data();
  void real_form();
  void fresh_state_byte_for_byte();
  void line_values_data();
  void line_values();
  void texts_data();
  void texts();
  void saving_twice_replaces_the_file();
  void failed_write_keeps_the_previous_file();
  void file_that_cannot_be_created_is_skipped();
  void path_prefix_goes_in_front();
};

void SuiteSettingsTest::real_form_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<QByteArray>("text");
  QTest::newRow("zero") << 0.0 << QByteArray(" 0.00000000000000E+0000");
  QTest::newRow("negative zero") << -0.0 << QByteArray(" 0.00000000000000E+0000");
  QTest::newRow("one") << 1.0 << QByteArray(" 1.00000000000000E+0000");
  QTest::newRow("minus one and a half") << -1.5 << QByteArray("-1.50000000000000E+0000");
  QTest::newRow("1500") << 1500.0 << QByteArray(" 1.50000000000000E+0003");
  QTest::newRow("small") << 0.00125 << QByteArray(" 1.25000000000000E-0003");
  QTest::newRow("third") << 1.0 / 3.0 << QByteArray(" 3.33333333333333E-0001");
  QTest::newRow("rounds up into the exponent") << 9.999999999999999
                                               << QByteArray(" 1.00000000000000E+0001");
  QTest::newRow("large") << 1.0e300 << QByteArray(" 1.00000000000000E+0300");
  QTest::newRow("tiny") << -2.5e-308 << QByteArray("-2.50000000000000E-0308");
}

void SuiteSettingsTest::real_form() {
  QFETCH(double, value);
  QFETCH(QByteArray, text);
  QCOMPARE(suite_real(value), text);
  QCOMPARE(suite_real(value).size(), 23);
}

void SuiteSettingsTest::fresh_state_byte_for_byte() {
  TempDataFolder data;
  const FileSaveResult r = save_suite_settings(suite_settings{}, fresh_sources(), data.folder());
  QCOMPARE(r.status, FileSaveResult::saved);
  const QByteArray file = read_file(data.file("v2globals.dat"));
  QCOMPARE(file, fresh_file());
  QCOMPARE(file.count("\r\n"), 94);
  QVERIFY(file.endsWith("\r\n"));
  QCOMPARE(file.count('\n'), 94); // no bare line feeds
  QCOMPARE(QDir(data.path()).entryList(QDir::Files), QStringList{"v2globals.dat"});
}

// Each row sets one value and names the only line that may change.
void SuiteSettingsTest::line_values_data() {
  QTest::addColumn<SettingsChange>("change");
  QTest::addColumn<int>("line");
  QTest::addColumn<QByteArray>("text");
  using Change = SettingsChange;
  QTest::newRow("line 1 negative") << Change([](auto &s, auto &) { s.line1 = -42; }) << 1
                                   << QByteArray("-42");
  QTest::newRow("line 6 real") << Change([](auto &s, auto &) { s.line6 = 2.5; }) << 6
                               << QByteArray(" 2.50000000000000E+0000");
  QTest::newRow("line 17 last of eleven")
      << Change([](auto &s, auto &) { s.lines7_17[10] = 17; }) << 17 << QByteArray("17");
  QTest::newRow("line 18 first table entry")
      << Change([](auto &s, auto &) { s.table18_21[0] = 7; }) << 18 << QByteArray("7");
  QTest::newRow("line 55 last table entry")
      << Change([](auto &s, auto &) { s.table25_55[30] = 2147483647; }) << 55
      << QByteArray("2147483647");
  QTest::newRow("line 61") << Change([](auto &s, auto &) { s.line61 = 0; }) << 61
                           << QByteArray("0");
  QTest::newRow("line 63 background")
      << Change([](auto &, auto &o) { o.colours.background = 0x123456; }) << 63
      << QByteArray("1193046");
  QTest::newRow("line 73 last colour")
      << Change([](auto &s, auto &) { s.colours4_11[7] = 255; }) << 73 << QByteArray("255");
  QTest::newRow("line 83 switch off")
      << Change([](auto &, auto &o) { o.rtd_ip_broadcast = false; }) << 83 << QByteArray("0");
  QTest::newRow("line 87 rtd integer")
      << Change([](auto &, auto &o) { o.rtd_line87 = 3; }) << 87 << QByteArray("3");
  QTest::newRow("line 89 html folder")
      << Change([](auto &s, auto &) { s.html_folder = "C:\\out\\html\\"; }) << 89
      << QByteArray("C:\\out\\html\\");
  QTest::newRow("line 91 csv folder")
      << Change([](auto &s, auto &) { s.csv_folder = "csv"; }) << 91 << QByteArray("csv");
  QTest::newRow("line 94") << Change([](auto &s, auto &) { s.line94 = -1; }) << 94
                           << QByteArray("-1");
  // Short texts are cut after their 255th character; the long texts are not.
  const QByteArray long_text = QByteArray(200, 'a') + QByteArray(200, 'b');
  const QByteArray cut = long_text.left(255);
  QTest::newRow("line 3 cut") << Change([=](auto &s, auto &) { s.line3 = long_text; }) << 3 << cut;
  QTest::newRow("line 4 cut") << Change([=](auto &s, auto &) { s.line4 = long_text; }) << 4 << cut;
  QTest::newRow("line 56 cut") << Change([=](auto &s, auto &) { s.line56 = long_text; }) << 56
                               << cut;
  QTest::newRow("line 74 cut") << Change([=](auto &s, auto &) { s.line74 = long_text; }) << 74
                               << cut;
  QTest::newRow("line 75 cut") << Change([=](auto &s, auto &) { s.line75 = long_text; }) << 75
                               << cut;
  QTest::newRow("line 62 whole") << Change([=](auto &s, auto &) { s.line62 = long_text; }) << 62
                                 << long_text;
  QTest::newRow("line 84 whole") << Change([=](auto &s, auto &) { s.line84 = long_text; }) << 84
                                 << long_text;
  QTest::newRow("line 85 whole") << Change([=](auto &s, auto &) { s.line85 = long_text; }) << 85
                                 << long_text;
  QTest::newRow("line 89 whole")
      << Change([=](auto &s, auto &) { s.html_folder = long_text; }) << 89 << long_text;
  QTest::newRow("line 90 whole")
      << Change([=](auto &s, auto &) { s.pdf_folder = long_text; }) << 90 << long_text;
  QTest::newRow("line 91 whole")
      << Change([=](auto &s, auto &) { s.csv_folder = long_text; }) << 91 << long_text;
  QTest::newRow("line 92 whole")
      << Change([=](auto &s, auto &) { s.fourth_folder = long_text; }) << 92 << long_text;
}

void SuiteSettingsTest::line_values() {
  using Change = SettingsChange;
  QFETCH(Change, change);
  QFETCH(int, line);
  QFETCH(QByteArray, text);
  suite_settings s;
  SuiteSettingsSources o = fresh_sources();
  change(s, o);
  const QList<QByteArray> got = lines_of(suite_settings_bytes(s, o));
  QList<QByteArray> want = lines_of(fresh_file());
  want[line - 1] = text;
  QCOMPARE(got, want);
}

void SuiteSettingsTest::texts_data() {
  QTest::addColumn<QByteArray>("address");
  QTest::addColumn<QByteArray>("line82");
  QTest::newRow("blanks kept as typed")
      << QByteArray("  192.168.1.20 ") << QByteArray("  192.168.1.20 ");
  QTest::newRow("empty") << QByteArray() << QByteArray();
  QTest::newRow("8-bit kept") << QByteArray("h\xe9te") << QByteArray("h\xe9te");
  QTest::newRow("cut after 255") << QByteArray(300, 'a') << QByteArray(255, 'a');
  QTest::newRow("line break stays one line")
      << QByteArray("1.2\r\n3.4") << QByteArray("1.2  3.4");
}

void SuiteSettingsTest::texts() {
  QFETCH(QByteArray, address);
  QFETCH(QByteArray, line82);
  TempDataFolder data;
  SuiteSettingsSources o = fresh_sources();
  o.listening_address = address;
  QCOMPARE(save_suite_settings(suite_settings{}, o, data.folder()).status, FileSaveResult::saved);
  const QList<QByteArray> lines = lines_of(read_file(data.file("v2globals.dat")));
  QCOMPARE(lines.size(), 94);
  QCOMPARE(lines[81], line82);
  QCOMPARE(lines[82], QByteArray("1"));
}

void SuiteSettingsTest::saving_twice_replaces_the_file() {
  TempDataFolder data;
  suite_settings s;
  s.line62 = QByteArray(5000, 'x'); // a long first file
  QCOMPARE(save_suite_settings(s, fresh_sources(), data.folder()).status, FileSaveResult::saved);
  QCOMPARE(save_suite_settings(suite_settings{}, fresh_sources(), data.folder()).status,
           FileSaveResult::saved);
  QCOMPARE(read_file(data.file("v2globals.dat")), fresh_file());
  QCOMPARE(save_suite_settings(suite_settings{}, fresh_sources(), data.folder()).status,
           FileSaveResult::saved);
  QCOMPARE(read_file(data.file("v2globals.dat")), fresh_file());
  QCOMPARE(QDir(data.path()).entryList(QDir::Files), QStringList{"v2globals.dat"});
}

void SuiteSettingsTest::failed_write_keeps_the_previous_file() {
  TempDataFolder data;
  const QByteArray previous = fresh_file("10.0.0.1");
  QVERIFY(write_file(data.file("v2globals.dat"), previous));
  suite_settings s;
  s.line84 = QByteArray(4000, 'y'); // more than the cap below lets through
  FileSaveResult r;
  {
    FileSizeLimit cap(1000);
    QVERIFY(cap.ok());
    r = save_suite_settings(s, fresh_sources(), data.folder());
  }
  QCOMPARE(r.status, FileSaveResult::failed);
  QVERIFY(!r.error.isEmpty());
  QCOMPARE(read_file(data.file("v2globals.dat")), previous);
  QCOMPARE(QDir(data.path()).entryList(QDir::Files), QStringList{"v2globals.dat"}); // no temporary left

  RecordingDialogs dialogs;
  QVERIFY(report_suite_settings_save(r, dialogs, nullptr));
  QCOMPARE(dialogs.boxes.size(), 1);
  QCOMPARE(dialogs.boxes[0].kind, QString("error"));
  QCOMPARE(dialogs.boxes[0].text, r.error);
}

void SuiteSettingsTest::file_that_cannot_be_created_is_skipped() {
  TempDataFolder data;
  suite_settings s;
  s.path_prefix = "no/such/folder/";
  const FileSaveResult r = save_suite_settings(s, fresh_sources(), data.folder());
  QCOMPARE(r.status, FileSaveResult::not_created);
  RecordingDialogs dialogs;
  QVERIFY(!report_suite_settings_save(r, dialogs, nullptr));
  QVERIFY(dialogs.boxes.isEmpty());
  QVERIFY(!report_suite_settings_save(FileSaveResult{}, dialogs, nullptr));
  QVERIFY(dialogs.boxes.isEmpty());
}

void SuiteSettingsTest::path_prefix_goes_in_front() {
  TempDataFolder data;
  QVERIFY(QDir(data.path()).mkdir("shared"));
  suite_settings s;
  s.path_prefix = "shared/suite_";
  QCOMPARE(suite_settings_path(s, data.folder()), data.file("shared/suite_v2globals.dat"));
  QCOMPARE(suite_settings_path(s, DataFolder{}), QString("shared/suite_v2globals.dat"));
  QCOMPARE(save_suite_settings(s, fresh_sources(), data.folder()).status, FileSaveResult::saved);
  QCOMPARE(read_file(data.file("shared/suite_v2globals.dat")), fresh_file());
  QVERIFY(!QFile::exists(data.file("v2globals.dat")));
}

QTEST_APPLESS_MAIN(SuiteSettingsTest)
#include "suite_settings_test.moc"
