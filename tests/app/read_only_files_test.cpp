// The program's files in a read-only file and in a read-only folder, as an
// unprivileged user (root ignores permissions): a save that cannot be made
// is handled as each file's rules say, and what was on disk stays byte for
// byte.

#include "app/app_state.h"
#include "app/listening_address.h"
#include "reradu/frame_store.h"
#include "reradu/qdimport_form.h"
#include "reradu/reradu_form.h"
#include "suite/suite_settings.h"
#include "support/recording_dialogs.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;

// Runs the scope as "nobody" (real and effective ids, no supplementary
// groups, so access checks are those of an ordinary user) when the test runs
// as root; the saved ids keep the way back.
class AsUnprivilegedUser {
public:
  AsUnprivilegedUser() {
    if (geteuid() != 0) {
      ok_ = true; // already an ordinary user
      return;
    }
    groups_.resize(size_t(std::max(getgroups(0, nullptr), 0)));
    if (!groups_.empty() && getgroups(int(groups_.size()), groups_.data()) < 0)
      return;
    if (setgroups(0, nullptr) != 0 || setresgid(kNogroup, kNogroup, 0) != 0 ||
        setresuid(kNobody, kNobody, 0) != 0)
      return;
    dropped_ = ok_ = true;
  }
  ~AsUnprivilegedUser() {
    if (!dropped_)
      return;
    if (setresuid(0, 0, 0) != 0 || setresgid(0, 0, 0) != 0 ||
        setgroups(groups_.size(), groups_.data()) != 0)
      qFatal("could not return to root");
  }
  bool ok() const { return ok_; }

private:
  bool ok_ = false;
  bool dropped_ = false;
  std::vector<gid_t> groups_;
};

// Gives a path to "nobody" (when root) with the given mode.
bool hand_over(const QString &path, mode_t mode) {
  const QByteArray p = QFile::encodeName(path);
  if (geteuid() == 0 && chown(p.constData(), kNobody, kNogroup) != 0)
    return false;
  return chmod(p.constData(), mode) == 0;
}

Tqd_frame frame_with(const QByteArray &line) {
  Tqd_frame f{};
  f.set_line(0, line);
  return f;
}

QByteArray frame_bytes(const Tqd_frame &f) {
  return QByteArray(reinterpret_cast<const char *>(&f), sizeof f);
}

} // namespace

class ReadOnlyFilesTest : public QObject {
  Q_OBJECT
private slots:
  void save_keeps_what_is_on_disk_data();
  void save_keeps_what_is_on_disk();
  void read_only_frame_file_data();
  void read_only_frame_file();
};

void ReadOnlyFilesTest::save_keeps_what_is_on_disk_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<bool>("read_only_folder");
  for (const char *file : {"commentator.dat", "v2globals.dat", "reradu.dat"}) {
    QTest::addRow("%s read-only", file) << QString(file) << false;
    QTest::addRow("%s in a read-only folder", file) << QString(file) << true;
  }
}

void ReadOnlyFilesTest::save_keeps_what_is_on_disk() {
  QFETCH(QString, file);
  QFETCH(bool, read_only_folder);
  TempDataFolder data;

  QByteArray previous;
  if (file == "commentator.dat") {
    previous = "10.0.0.1\r\n";
  } else if (file == "v2globals.dat") {
    AppState state;
    state.listening_address = "10.0.0.1";
    previous = suite_settings_bytes(state.suite, suite_settings_sources(state));
  } else {
    for (int n = 0; n < kQdFrameCount; ++n)
      previous += frame_bytes(frame_with("OLD " + QByteArray::number(n)));
  }
  QVERIFY(write_file(data.file(file), previous));
  QVERIFY(hand_over(data.file(file), read_only_folder ? 0644 : 0444));
  QVERIFY(hand_over(data.path(), read_only_folder ? 0555 : 0755));

  FileSaveResult result;
  Tqd_frame loaded{};
  {
    AsUnprivilegedUser nobody;
    if (!nobody.ok())
      QSKIP("cannot drop to an unprivileged user here");
    if (file == "commentator.dat") {
      result = save_listening_address(data.folder(), "10.0.0.2");
    } else if (file == "v2globals.dat") {
      const AppState state;
      result = save_suite_settings(state.suite, suite_settings_sources(state), data.folder());
    } else {
      // reradu.dat is written in place: a writable file in a read-only
      // folder takes the frame, a read-only file takes nothing, silently.
      save_frame(data.folder(), frame_with("NEW"), 3);
      load_frame(data.folder(), loaded, 3);
    }
  }

  QCOMPARE(QDir(data.path()).entryList(QDir::Files), QStringList{file}); // no temporary left
  if (file == "reradu.dat") {
    QByteArray expected = previous;
    if (read_only_folder) {
      expected.replace(3 * int(sizeof(Tqd_frame)), int(sizeof(Tqd_frame)),
                       frame_bytes(frame_with("NEW")));
      QCOMPARE(loaded.line(0), QByteArray("NEW"));
    } else {
      // The file cannot be opened for the editor: a blank frame to show.
      QCOMPARE(loaded.line(0), QByteArray());
    }
    QCOMPARE(read_file(data.file(file)), expected);
    return;
  }
  // The atomic replacement needs both a writable file and a writable folder;
  // either missing means the file cannot be created: skipped without a box.
  QCOMPARE(result.status, FileSaveResult::not_created);
  QCOMPARE(read_file(data.file(file)), previous);
  RecordingDialogs dialogs;
  QVERIFY(!report_suite_settings_save(result, dialogs, nullptr));
  QVERIFY(dialogs.boxes.isEmpty());
}

void ReadOnlyFilesTest::read_only_frame_file_data() {
  QTest::addColumn<QString>("action");
  QTest::newRow("start-up leaves it alone") << "start-up";
  QTest::newRow("Import Text cannot proceed") << "import";
}

// A reradu.dat that cannot be opened for reading and writing: start-up
// leaves it as it is and says nothing, the editor shows blank frames, and
// Import Text reports it.
void ReadOnlyFilesTest::read_only_frame_file() {
  QFETCH(QString, action);
  TempDataFolder data;
  QByteArray previous;
  for (int n = 0; n < kQdFrameCount; ++n)
    previous += frame_bytes(frame_with("OLD " + QByteArray::number(n)));
  QVERIFY(write_file(data.file("reradu.dat"), previous));
  QVERIFY(hand_over(data.file("reradu.dat"), 0444));
  QVERIFY(hand_over(data.path(), 0755));

  RecordingDialogs dialogs;
  Seams seams = test_seams(dialogs, data.folder());
  ReraduState state;
  int import_shown = 0;
  QString first_line;
  {
    AsUnprivilegedUser nobody;
    if (!nobody.ok())
      QSKIP("cannot drop to an unprivileged user here");
    Treradu_form editor(state, seams);
    Tqdimport_form import(seams);
    editor.set_import_form(&import);
    editor.show_import_modally = [&](Tqdimport_form &) { ++import_shown; };
    editor.show();
    first_line = editor.edit(1)->text();
    if (action == "import")
      editor.import_button()->click();
    editor.hide();
  }
  QCOMPARE(first_line, QString());
  QCOMPARE(read_file(data.file("reradu.dat")), previous);
  QCOMPARE(QDir(data.path()).entryList(QDir::Files), QStringList{"reradu.dat"});
  QCOMPARE(import_shown, 0);
  if (action == "import") {
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes[0].kind, QStringLiteral("error"));
    QCOMPARE(dialogs.boxes[0].text, QStringLiteral("File read error. Cannot proceed."));
    return;
  }
  QVERIFY(dialogs.boxes.isEmpty());
}

QTEST_MAIN(ReadOnlyFilesTest)
#include "read_only_files_test.moc"
