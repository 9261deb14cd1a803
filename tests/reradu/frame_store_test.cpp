#include "reradu/frame_store.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

const QString file_name = QStringLiteral("reradu.dat");

QByteArray numbered_bytes(int size) {
  QByteArray out(size, '\0');
  for (int i = 0; i < size; ++i)
    out[i] = char((i * 7 + 3) & 0xFF);
  return out;
}

QByteArray record_of(const QByteArray &file, int n) { return file.mid(310 * n, 310); }

} // namespace

class TestFrameStore : public QObject {
  Q_OBJECT
private slots:
  void set_line_data();
  void set_line();
  void line_reads_at_most_30();
  void blank_keeps_characters();
  void ensure_creates_31000_zero_bytes();
  void ensure_leaves_existing_file_data();
  void ensure_leaves_existing_file();
  void unopenable_file_is_silent();
  void short_file_data();
  void short_file();
  void shortened_line_keeps_old_bytes();
  void save_frame_writes_only_its_record();
  void all_frames_round_trip();
  void save_all_without_file_is_false();
  void save_all_keeps_bytes_past_100th_record();
  void blank_all_frames_in_memory_only();
};

void TestFrameStore::set_line_data() {
  QTest::addColumn<QByteArray>("before");
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<int>("length");
  QTest::addColumn<QByteArray>("slot_chars");
  const QByteArray old30 = "abcdefghijklmnopqrstuvwxyz0123";
  QTest::newRow("into zeros") << QByteArray(30, '\0') << QByteArray("HELLO") << 5
                              << (QByteArray("HELLO") + QByteArray(25, '\0'));
  QTest::newRow("shorter over old") << old30 << QByteArray("XY") << 2
                                    << (QByteArray("XY") + old30.mid(2));
  QTest::newRow("empty keeps all") << old30 << QByteArray() << 0 << old30;
  QTest::newRow("exactly 30") << old30 << QByteArray(30, 'Z') << 30 << QByteArray(30, 'Z');
  QTest::newRow("35 cut to 30") << old30 << (QByteArray(30, 'Q') + "RSTUV") << 30
                                << QByteArray(30, 'Q');
  QTest::newRow("8-bit bytes") << QByteArray(30, '\0') << QByteArray("\xe9\xff") << 2
                               << (QByteArray("\xe9\xff") + QByteArray(28, '\0'));
}

void TestFrameStore::set_line() {
  QFETCH(QByteArray, before);
  QFETCH(QByteArray, text);
  QFETCH(int, length);
  QFETCH(QByteArray, slot_chars);
  for (int k : {0, 4, 9}) {
    Tqd_frame f;
    std::memcpy(f.line_slots[k].chars, before.constData(), 30);
    f.line_slots[k].length = 11;
    f.set_line(k, text);
    const QByteArray raw(f.bytes(), 310);
    QCOMPARE(int(quint8(raw.at(31 * k))), length);
    QCOMPARE(raw.mid(31 * k + 1, 30), slot_chars);
    QCOMPARE(f.line(k), text.left(30));
    // Nothing outside the slot moved.
    QCOMPARE(raw.left(31 * k), QByteArray(31 * k, '\0'));
    QCOMPARE(raw.mid(31 * (k + 1)), QByteArray(310 - 31 * (k + 1), '\0'));
  }
}

void TestFrameStore::line_reads_at_most_30() {
  Tqd_frame f;
  std::memset(f.bytes(), 'A', 310);
  f.line_slots[2].length = 200;
  QCOMPARE(f.line(2).size(), 30);
}

void TestFrameStore::blank_keeps_characters() {
  Tqd_frame f;
  for (int k = 0; k < 10; ++k)
    f.set_line(k, QByteArray("LINE") + QByteArray::number(k));
  QByteArray before(f.bytes(), 310);
  f.blank();
  const QByteArray after(f.bytes(), 310);
  for (int k = 0; k < 10; ++k) {
    QCOMPARE(after.at(31 * k), '\0');
    QVERIFY(f.line(k).isEmpty());
    before[31 * k] = '\0';
  }
  QCOMPARE(after, before);
}

void TestFrameStore::ensure_creates_31000_zero_bytes() {
  TempDataFolder data;
  QdEditorState ed;
  ed.qd_current_frame = 42;
  ensure_frame_file(data.folder(), ed);
  QCOMPARE(ed.qd_current_frame, 0);
  QCOMPARE(read_file(data.file(file_name)), QByteArray(31000, '\0'));
}

void TestFrameStore::ensure_leaves_existing_file_data() {
  QTest::addColumn<QByteArray>("content");
  QTest::newRow("empty") << QByteArray();
  QTest::newRow("5 bytes") << QByteArray("hello");
  QTest::newRow("one record") << numbered_bytes(310);
  QTest::newRow("31000 of content") << numbered_bytes(31000);
  QTest::newRow("40000") << numbered_bytes(40000);
}

void TestFrameStore::ensure_leaves_existing_file() {
  QFETCH(QByteArray, content);
  TempDataFolder data;
  QVERIFY(write_file(data.file(file_name), content));
  QdEditorState ed;
  ed.qd_current_frame = 7;
  ensure_frame_file(data.folder(), ed);
  QCOMPARE(ed.qd_current_frame, 0);
  QCOMPARE(read_file(data.file(file_name)), content);
}

void TestFrameStore::unopenable_file_is_silent() {
  // A directory of that name can be neither opened nor created as a file,
  // whoever runs the test.
  TempDataFolder data;
  QVERIFY(QDir(data.path()).mkdir(file_name));
  QdEditorState ed;
  ensure_frame_file(data.folder(), ed);
  QVERIFY(QFileInfo(data.file(file_name)).isDir());
  Tqd_frame f;
  f.set_line(0, "KEPT?");
  load_frame(data.folder(), f, 3);
  QVERIFY(f.line(0).isEmpty());
  save_frame(data.folder(), f, 3);
  QdImportFrames all;
  QVERIFY(!load_all_frames(data.folder(), all, 12));
  QCOMPARE(all.start_frame, 12);
  QVERIFY(!save_all_frames(data.folder(), all));
}

void TestFrameStore::short_file_data() {
  QTest::addColumn<int>("size");
  QTest::addColumn<QString>("operation");
  QTest::addColumn<int>("frame");
  QTest::addColumn<bool>("fails");
  QTest::newRow("load 99 of 99 records") << 30690 << "load_frame" << 99 << true;
  QTest::newRow("load 98 of 99 records") << 30690 << "load_frame" << 98 << false;
  QTest::newRow("load 0 of half a record") << 155 << "load_frame" << 0 << true;
  QTest::newRow("load 0 of empty file") << 0 << "load_frame" << 0 << true;
  QTest::newRow("load all of 99 records") << 30690 << "load_all_frames" << 0 << true;
  QTest::newRow("load all of 31000") << 31000 << "load_all_frames" << 0 << false;
  QTest::newRow("load all of a longer file") << 31310 << "load_all_frames" << 0 << false;
}

void TestFrameStore::short_file() {
  QFETCH(int, size);
  QFETCH(QString, operation);
  QFETCH(int, frame);
  QFETCH(bool, fails);
  TempDataFolder data;
  QVERIFY(write_file(data.file(file_name), numbered_bytes(size)));
  bool threw = false;
  QString text;
  try {
    if (operation == "load_frame") {
      Tqd_frame f;
      load_frame(data.folder(), f, frame);
    } else {
      QdImportFrames all;
      QVERIFY(load_all_frames(data.folder(), all, frame));
    }
  } catch (const FrameFileError &e) {
    threw = true;
    text = e.text();
  }
  QCOMPARE(threw, fails);
  if (fails)
    QVERIFY(!text.isEmpty());
  QCOMPARE(read_file(data.file(file_name)).size(), size);
}

void TestFrameStore::shortened_line_keeps_old_bytes() {
  TempDataFolder data;
  QdEditorState ed;
  ensure_frame_file(data.folder(), ed);
  ed.frame.set_line(0, "ABCDEFGHIJK");
  save_frame(data.folder(), ed.frame, 7);
  Tqd_frame again;
  load_frame(data.folder(), again, 7);
  again.set_line(0, "XY");
  save_frame(data.folder(), again, 7);
  const QByteArray rec = record_of(read_file(data.file(file_name)), 7);
  QCOMPARE(int(rec.at(0)), 2);
  QCOMPARE(rec.mid(1, 11), QByteArray("XYCDEFGHIJK"));
  Tqd_frame read_back;
  load_frame(data.folder(), read_back, 7);
  QCOMPARE(read_back.line(0), QByteArray("XY"));
}

void TestFrameStore::save_frame_writes_only_its_record() {
  TempDataFolder data;
  const QByteArray before = numbered_bytes(31000);
  QVERIFY(write_file(data.file(file_name), before));
  Tqd_frame f;
  std::memset(f.bytes(), 'x', 310);
  save_frame(data.folder(), f, 99);
  save_frame(data.folder(), f, 0);
  const QByteArray after = read_file(data.file(file_name));
  QCOMPARE(after.size(), 31000);
  QCOMPARE(record_of(after, 0), QByteArray(310, 'x'));
  QCOMPARE(record_of(after, 99), QByteArray(310, 'x'));
  QCOMPARE(after.mid(310, 310 * 98), before.mid(310, 310 * 98));
}

void TestFrameStore::all_frames_round_trip() {
  TempDataFolder data;
  const QByteArray content = numbered_bytes(31000);
  QVERIFY(write_file(data.file(file_name), content));
  QdImportFrames all;
  QVERIFY(load_all_frames(data.folder(), all, 95));
  QCOMPARE(all.start_frame, 95);
  QCOMPARE(QByteArray(all.frames[57].bytes(), 310), record_of(content, 57));
  QVERIFY(write_file(data.file(file_name), QByteArray(31000, '\0')));
  QVERIFY(save_all_frames(data.folder(), all));
  QCOMPARE(read_file(data.file(file_name)), content);
}

void TestFrameStore::save_all_without_file_is_false() {
  TempDataFolder data;
  QdImportFrames all;
  QVERIFY(!save_all_frames(data.folder(), all));
  QVERIFY(!QFile::exists(data.file(file_name)));
}

void TestFrameStore::save_all_keeps_bytes_past_100th_record() {
  TempDataFolder data;
  const QByteArray content = numbered_bytes(31500);
  QVERIFY(write_file(data.file(file_name), content));
  QdImportFrames all;
  QVERIFY(save_all_frames(data.folder(), all));
  const QByteArray after = read_file(data.file(file_name));
  QCOMPARE(after.left(31000), QByteArray(31000, '\0'));
  QCOMPARE(after.mid(31000), content.mid(31000));
}

void TestFrameStore::blank_all_frames_in_memory_only() {
  TempDataFolder data;
  const QByteArray content = numbered_bytes(31000);
  QVERIFY(write_file(data.file(file_name), content));
  QdImportFrames all;
  QVERIFY(load_all_frames(data.folder(), all, 0));
  blank_all_frames(all);
  QCOMPARE(read_file(data.file(file_name)), content);
  for (int n = 0; n < 100; ++n) {
    QByteArray expected = record_of(content, n);
    for (int k = 0; k < 10; ++k)
      expected[31 * k] = '\0';
    QCOMPARE(QByteArray(all.frames[size_t(n)].bytes(), 310), expected);
  }
}

QTEST_APPLESS_MAIN(TestFrameStore)
#include "frame_store_test.moc"
