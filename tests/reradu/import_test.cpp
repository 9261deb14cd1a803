#include "reradu/qdimport_form.h"
#include "support/recording_dialogs.h"
#include "support/test_env.h"

#include <QDir>
#include <QScopeGuard>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QString frame_file = QStringLiteral("reradu.dat");

QByteArray prefilled(int frame, int slot) {
  return "P" + QByteArray::number(frame) + "." + QByteArray::number(slot);
}

void prefill(QdImportFrames &all) {
  for (int n = 0; n < 100; ++n)
    for (int k = 0; k < 10; ++k)
      all.frames[size_t(n)].set_line(k, prefilled(n, k));
}

QByteArray numbered_lines(int count, const char *sep = "\r\n") {
  QByteArray out;
  for (int i = 1; i <= count; ++i)
    out += "L" + QByteArray::number(i) + sep;
  return out;
}

// Expected slots "frame:slot=text" for count lines L1.. filling from start.
QStringList numbered_expectations(int start, int count) {
  QStringList out;
  for (int i = 0; i < count; ++i)
    out << QStringLiteral("%1:%2=L%3").arg(start + i / 10).arg(i % 10).arg(i + 1);
  return out;
}

QByteArray blank_frame_file() { return QByteArray(31000, '\0'); }

} // namespace

class TestImport : public QObject {
  Q_OBJECT
private slots:
  void created_window();
  void import_text_data();
  void import_text();
  void unopenable_text_file();
  void import_menu_uses_the_file_dialog();
  void import_menu_cancel();
  void blank_then_close_blanks_the_file();
  void blank_then_cancel();
  void every_close_saves_and_restores_directory_data();
  void every_close_saves_and_restores_directory();
  void close_without_frame_file_is_silent();
};

void TestImport::created_window() {
  RecordingDialogs dialogs;
  const Seams seams = test_seams(dialogs);
  Tqdimport_form form(seams);
  QCOMPARE(form.windowTitle(), QStringLiteral("Import Text Into RERadu"));
  QCOMPARE(form.import_action()->text(), QStringLiteral("&Import"));
  QCOMPARE(form.blank_all_action()->text(), QStringLiteral("&Blank All Frames"));
  const QStringList memo = form.text_view()->toPlainText().split('\n');
  QCOMPARE(memo.size(), 24);
  QCOMPARE(memo[3], QString());
  QCOMPARE(memo[7], QStringLiteral("HELLO FRAME A"));
  QCOMPARE(memo[23], QStringLiteral(" "));
  QVERIFY(form.text_view()->isReadOnly());
  form.frames().start_frame = 17;
  form.show();
  QCOMPARE(form.frame_label()->text(), QStringLiteral("17"));
  QCOMPARE(form.remembered_directory(), QDir::currentPath());
  form.hide();
}

void TestImport::import_text_data() {
  QTest::addColumn<int>("start");
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QStringList>("written");
  QTest::addColumn<QStringList>("boxes");

  QTest::newRow("memo example: three frames")
      << 10
      << QByteArray("HELLO FRAME A\r\n~~~~~~~~~~~~\r\nHELLO FRAME B\r\n~~~~~~~~~~~~\r\n"
                    "HELLO FRAME C\r\n")
      << QStringList{"10:0=HELLO FRAME A", "11:0=HELLO FRAME B", "12:0=HELLO FRAME C"}
      << QStringList{};
  QTest::newRow("memo example: three lines")
      << 10 << QByteArray("HELLO LINE 1\r\nHELLO LINE 2\r\nHELLO LINE 3\r\n")
      << QStringList{"10:0=HELLO LINE 1", "10:1=HELLO LINE 2", "10:2=HELLO LINE 3"}
      << QStringList{};
  QTest::newRow("single tilde is text") << 0 << QByteArray("A\r\n~\r\nB")
                                        << QStringList{"0:0=A", "0:1=~", "0:2=B"}
                                        << QStringList{};
  QTest::newRow("~~ inside text ends the frame")
      << 0 << QByteArray("A\r\nxx~~yy\r\nB\r\n") << QStringList{"0:0=A", "1:0=B"}
      << QStringList{};
  QTest::newRow("empty lines count") << 3 << QByteArray("A\r\n\r\n\r\nB\r\n")
                                     << QStringList{"3:0=A", "3:1=", "3:2=", "3:3=B"}
                                     << QStringList{};
  QTest::newRow("ten lines then a separator passes a frame over")
      << 20 << (numbered_lines(10) + "~~\r\nNEXT\r\n")
      << (numbered_expectations(20, 10) << "22:0=NEXT") << QStringList{};
  QTest::newRow("separator first passes the start frame over")
      << 5 << QByteArray("~~~\r\nA\r\n") << QStringList{"6:0=A"} << QStringList{};
  QTest::newRow("two lines over five keep lines 3 to 5")
      << 40 << QByteArray("N1\r\nN2\r\n") << QStringList{"40:0=N1", "40:1=N2"}
      << QStringList{};
  QTest::newRow("long line cut to 30")
      << 0 << (QByteArray(30, 'a') + "bcdef\r\n")
      << QStringList{"0:0=" + QString(30, 'a')} << QStringList{};
  QTest::newRow("LF, lone CR and CR LF line ends")
      << 0 << QByteArray("A\nB\rC\r\nD\n\nE")
      << QStringList{"0:0=A", "0:1=B", "0:2=C", "0:3=D", "0:4=", "0:5=E"} << QStringList{};
  QTest::newRow("LF CR is two line ends") << 0 << QByteArray("A\n\rB")
                                          << QStringList{"0:0=A", "0:1=", "0:2=B"}
                                          << QStringList{};
  QTest::newRow("empty file") << 0 << QByteArray() << QStringList{} << QStringList{};
  QTest::newRow("95 with 100 lines: last frame reached")
      << 95 << numbered_lines(100) << numbered_expectations(95, 50)
      << QStringList{"information:Last frame reached. Import concluded."};
  QTest::newRow("95 with exactly 50 lines: no message")
      << 95 << numbered_lines(50) << numbered_expectations(95, 50) << QStringList{};
  QTest::newRow("99 then a separator at the end: no message")
      << 99 << QByteArray("A\r\n~~\r\n") << QStringList{"99:0=A"} << QStringList{};
  QTest::newRow("99 then a separator and text: message")
      << 99 << QByteArray("A\r\n~~\r\nB\r\n") << QStringList{"99:0=A"}
      << QStringList{"information:Last frame reached. Import concluded."};
  QTest::newRow("8-bit text stored as bytes")
      << 0 << QByteArray("\xc9T\xc9\r\n") << QStringList{"0:0=\u00c9T\u00c9"} << QStringList{};
}

void TestImport::import_text() {
  QFETCH(int, start);
  QFETCH(QByteArray, text);
  QFETCH(QStringList, written);
  QFETCH(QStringList, boxes);
  TempDataFolder data;
  QVERIFY(write_file(data.file("in.txt"), text));
  RecordingDialogs dialogs;
  const Seams seams = test_seams(dialogs, data.folder());
  Tqdimport_form form(seams);
  prefill(form.frames());
  form.frames().start_frame = start;
  form.import_text(data.file("in.txt"));

  QMap<QPair<int, int>, QByteArray> expected;
  for (const QString &w : written) {
    const int colon = w.indexOf(':');
    const int eq = w.indexOf('=');
    expected[{w.left(colon).toInt(), w.mid(colon + 1, eq - colon - 1).toInt()}] =
        w.mid(eq + 1).toLatin1();
  }
  for (int n = 0; n < 100; ++n)
    for (int k = 0; k < 10; ++k) {
      const QByteArray want = expected.value({n, k}, prefilled(n, k));
      QVERIFY2(form.frames().frames[size_t(n)].line(k) == want,
               qPrintable(QStringLiteral("frame %1 slot %2: %3").arg(n).arg(k).arg(
                   QString::fromLatin1(form.frames().frames[size_t(n)].line(k)))));
    }
  QStringList got;
  for (const auto &b : dialogs.boxes)
    got << b.kind + ":" + b.text;
  QCOMPARE(got, boxes);
  QCOMPARE(form.frames().start_frame, start);
}

void TestImport::unopenable_text_file() {
  TempDataFolder data;
  RecordingDialogs dialogs;
  const Seams seams = test_seams(dialogs, data.folder());
  Tqdimport_form form(seams);
  prefill(form.frames());
  const QString missing = data.file("missing.txt");
  form.import_text(missing);
  QCOMPARE(dialogs.boxes.size(), 1);
  QCOMPARE(dialogs.boxes[0].kind, QStringLiteral("error"));
  QCOMPARE(dialogs.boxes[0].text, "Unable to open file " + missing);
  QCOMPARE(form.frames().frames[0].line(0), prefilled(0, 0));
}

void TestImport::import_menu_uses_the_file_dialog() {
  TempDataFolder data;
  QVERIFY(write_file(data.file("in.txt"), "FROM MENU\r\n"));
  RecordingDialogs dialogs;
  dialogs.files_to_open << data.file("in.txt");
  const Seams seams = test_seams(dialogs, data.folder());
  Tqdimport_form form(seams);
  form.frames().start_frame = 4;
  form.show();
  form.import_action()->trigger();
  QCOMPARE(form.frames().frames[4].line(0), QByteArray("FROM MENU"));
  QCOMPARE(dialogs.file_filters.size(), 1);
  QVERIFY(dialogs.file_filters[0].startsWith("Text files (*.txt"));
  QCOMPARE(dialogs.file_dirs[0], QDir::currentPath()); // where the window was shown
  QCOMPARE(form.frame_label()->text(), QStringLiteral("4")); // an import leaves the label
  form.hide();
}

void TestImport::import_menu_cancel() {
  RecordingDialogs dialogs;
  const Seams seams = test_seams(dialogs);
  Tqdimport_form form(seams);
  prefill(form.frames());
  form.import_action()->trigger();
  QCOMPARE(dialogs.file_filters.size(), 1);
  QVERIFY(dialogs.boxes.isEmpty());
  QCOMPARE(form.frames().frames[0].line(0), prefilled(0, 0));
}

void TestImport::blank_then_close_blanks_the_file() {
  TempDataFolder data;
  QdImportFrames seed;
  prefill(seed);
  QByteArray content;
  for (const Tqd_frame &f : seed.frames)
    content.append(f.bytes(), 310);
  QVERIFY(write_file(data.file(frame_file), content));

  RecordingDialogs dialogs;
  const Seams seams = test_seams(dialogs, data.folder());
  Tqdimport_form form(seams);
  QVERIFY(load_all_frames(data.folder(), form.frames(), 0));
  form.show();
  form.blank_all_action()->trigger();
  QCOMPARE(dialogs.texts(),
           (QStringList{"Blank all frames? Are you sure?",
                        "All frames blanked in memory! Click \"Save\" to save changes, or "
                        "proceed to import."}));
  QCOMPARE(dialogs.boxes[0].kind, QStringLiteral("confirm"));
  QCOMPARE(dialogs.boxes[1].kind, QStringLiteral("plain"));
  form.close();
  QVERIFY(!form.isVisible());
  const QByteArray after = read_file(data.file(frame_file));
  QCOMPARE(after.size(), 31000);
  for (int i = 0; i < 1000; ++i)
    QVERIFY2(after.at(31 * i) == '\0', qPrintable(QStringLiteral("length byte %1").arg(i)));
}

void TestImport::blank_then_cancel() {
  TempDataFolder data;
  QdImportFrames seed;
  prefill(seed);
  QByteArray content;
  for (const Tqd_frame &f : seed.frames)
    content.append(f.bytes(), 310);
  QVERIFY(write_file(data.file(frame_file), content));
  RecordingDialogs dialogs;
  dialogs.confirm_answer = false;
  const Seams seams = test_seams(dialogs, data.folder());
  Tqdimport_form form(seams);
  QVERIFY(load_all_frames(data.folder(), form.frames(), 0));
  form.show();
  form.blank_all_action()->trigger();
  QCOMPARE(dialogs.texts(), QStringList{"Blank all frames? Are you sure?"});
  QCOMPARE(form.frames().frames[63].line(2), prefilled(63, 2));
  form.save_button()->click();
  QCOMPARE(read_file(data.file(frame_file)), content);
}

void TestImport::every_close_saves_and_restores_directory_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("Save Changes button") << "button";
  QTest::newRow("close box") << "close";
  QTest::newRow("Escape") << "escape";
}

void TestImport::every_close_saves_and_restores_directory() {
  QFETCH(QString, how);
  TempDataFolder data;
  QVERIFY(write_file(data.file(frame_file), blank_frame_file()));
  QVERIFY(QDir(data.path()).mkdir("elsewhere"));
  // The window itself moves the process back, so this test alone changes the
  // current directory, and puts it back whatever happens.
  const QString shown_in = QDir::currentPath();
  const auto back = qScopeGuard([&] { QDir::setCurrent(shown_in); });
  RecordingDialogs dialogs;
  const Seams seams = test_seams(dialogs, data.folder());
  Tqdimport_form form(seams);
  QVERIFY(load_all_frames(data.folder(), form.frames(), 0));
  form.show();
  form.frames().frames[2].set_line(9, "TENTH");
  // As a file dialog may, move the process elsewhere before closing.
  QVERIFY(QDir::setCurrent(data.file("elsewhere")));
  if (how == "button")
    form.save_button()->click();
  else if (how == "close")
    form.close();
  else
    QTest::keyClick(&form, Qt::Key_Escape);
  QVERIFY(!form.isVisible());
  QCOMPARE(QDir::currentPath(), shown_in);
  QVERIFY(!QFile::exists(data.file("elsewhere/reradu.dat")));
  const QByteArray after = read_file(data.file(frame_file));
  QCOMPARE(after.mid(2 * 310 + 9 * 31, 6), QByteArray("\x05TENTH"));
  QVERIFY(dialogs.boxes.isEmpty());
}

void TestImport::close_without_frame_file_is_silent() {
  TempDataFolder data;
  RecordingDialogs dialogs;
  const Seams seams = test_seams(dialogs, data.folder());
  Tqdimport_form form(seams);
  form.show();
  form.close();
  QVERIFY(!form.isVisible());
  QVERIFY(!QFile::exists(data.file(frame_file)));
  QVERIFY(dialogs.boxes.isEmpty());
}

QTEST_MAIN(TestImport)
#include "import_test.moc"
