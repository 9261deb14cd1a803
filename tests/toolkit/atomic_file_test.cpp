#include "support/test_env.h"
#include "toolkit/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QTest>

class AtomicFileTest : public QObject {
  Q_OBJECT
private slots:
  void replaces_whole_file();
  void missing_folder_is_not_created();
};

void AtomicFileTest::replaces_whole_file() {
  TempDataFolder data;
  QVERIFY(write_file(data.file("f.dat"), "old old old\r\n"));
  const FileSaveResult r = save_file_atomically(data.file("f.dat"), "new\r\n");
  QCOMPARE(r.status, FileSaveResult::saved);
  QCOMPARE(read_file(data.file("f.dat")), QByteArray("new\r\n"));
  QCOMPARE(QDir(data.path()).entryList(QDir::Files), QStringList{"f.dat"}); // no temporary left
}

void AtomicFileTest::missing_folder_is_not_created() {
  TempDataFolder data;
  const FileSaveResult r = save_file_atomically(data.file("no/such/folder/f.dat"), "x");
  QCOMPARE(r.status, FileSaveResult::not_created);
}

QTEST_APPLESS_MAIN(AtomicFileTest)
#include "atomic_file_test.moc"
