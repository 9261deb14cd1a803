#include "app/ip_settings_dialog.h"
#include "app/listening_address.h"
#include "app/main_window.h"
#include "support/recording_dialogs.h"
#include "support/test_env.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <sys/mount.h>

class ListeningAddressTest : public QObject {
  Q_OBJECT
private slots:
  void load_data();
  void load();
  void status_line_data();
  void status_line();
  void save_writes_one_line_with_crlf();
  void missing_folder_is_skipped_silently();
  void failed_write_keeps_old_file();
  void ok_in_dialog_writes_at_once();
  void dialog_closed_otherwise_changes_nothing();
  void listen_to_all_button_fills_edit();
  void real_dialog_data();
  void real_dialog();
  void hiding_main_window_writes_file();
};

void ListeningAddressTest::load_data() {
  QTest::addColumn<bool>("exists");
  QTest::addColumn<QByteArray>("content");
  QTest::addColumn<QByteArray>("address");
  QTest::newRow("missing") << false << QByteArray() << QByteArray("255.255.255.255");
  QTest::newRow("empty file") << true << QByteArray() << QByteArray();
  QTest::newRow("empty first line") << true << QByteArray("\r\n10.0.0.1\r\n") << QByteArray();
  QTest::newRow("crlf") << true << QByteArray("10.0.0.5\r\n") << QByteArray("10.0.0.5");
  QTest::newRow("lf") << true << QByteArray("10.0.0.5\nx\n") << QByteArray("10.0.0.5");
  QTest::newRow("no line end") << true << QByteArray("10.0.0.5") << QByteArray("10.0.0.5");
  QTest::newRow("trailing blank kept") << true << QByteArray("10.0.0.5 \r\n")
                                       << QByteArray("10.0.0.5 ");
  QTest::newRow("300 characters") << true << QByteArray(300, 'a') + "\r\nsecond\r\n"
                                  << QByteArray(255, 'a');
}

void ListeningAddressTest::load() {
  QFETCH(bool, exists);
  QFETCH(QByteArray, content);
  QFETCH(QByteArray, address);
  TempDataFolder data;
  if (exists)
    QVERIFY(write_file(data.file("commentator.dat"), content));
  QCOMPARE(load_listening_address(data.folder()), address);
}

void ListeningAddressTest::status_line_data() {
  QTest::addColumn<QByteArray>("address");
  QTest::addColumn<QByteArray>("status");
  QTest::newRow("all") << QByteArray("255.255.255.255")
                       << QByteArray("IP Listening Address = 255.255.255.255 (ALL)");
  QTest::newRow("one sender") << QByteArray("192.168.1.20")
                              << QByteArray("IP Listening Address = 192.168.1.20");
  QTest::newRow("empty") << QByteArray() << QByteArray("IP Listening Address = ");
  QTest::newRow("blank after all") << QByteArray("255.255.255.255 ")
                                   << QByteArray("IP Listening Address = 255.255.255.255 ");
}

void ListeningAddressTest::status_line() {
  QFETCH(QByteArray, address);
  QFETCH(QByteArray, status);
  QCOMPARE(listening_address_status(address), status);
}

void ListeningAddressTest::save_writes_one_line_with_crlf() {
  TempDataFolder data;
  QVERIFY(write_file(data.file("commentator.dat"), "a much longer old content\r\nline 2\r\n"));
  QCOMPARE(save_listening_address(data.folder(), "10.0.0.9 ").status, FileSaveResult::saved);
  QCOMPARE(read_file(data.file("commentator.dat")), QByteArray("10.0.0.9 \r\n"));
}

void ListeningAddressTest::missing_folder_is_skipped_silently() {
  TempDataFolder data;
  QVERIFY(QDir(data.path()).mkdir("gone"));
  const DataFolder gone{data.file("gone")};
  QVERIFY(QDir(data.path()).rmdir("gone"));
  QCOMPARE(save_listening_address(gone, "1.2.3.4").status, FileSaveResult::not_created);
}

void ListeningAddressTest::failed_write_keeps_old_file() {
  // A full disk: a tiny tmpfs filled to the last byte.
  TempDataFolder data;
  QVERIFY(QDir(data.path()).mkdir("small"));
  const DataFolder small{data.file("small")};
  const QByteArray mnt = small.path.toLocal8Bit();
  if (::mount("tmpfs", mnt.constData(), "tmpfs", 0, "size=8k") != 0)
    QSKIP("cannot mount a small tmpfs here (needs root)");
  const auto unmount = qScopeGuard([&] { ::umount(mnt.constData()); });
  QVERIFY(write_file(small.file(QLatin1StringView("commentator.dat")), "10.0.0.1\r\n"));
  // Fill what is left of the disk.
  {
    QFile filler(small.file(QLatin1StringView("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(512, 'f');
    for (int i = 0; i < 64 && filler.write(block) == block.size(); ++i) {
    }
  }
  RecordingDialogs dialogs;
  const FileSaveResult r = save_listening_address(small, QByteArray(255, '9'));
  QVERIFY(r.status != FileSaveResult::saved);
  QCOMPARE(read_file(small.file(QLatin1StringView("commentator.dat"))), QByteArray("10.0.0.1\r\n"));
}

namespace {
struct MainWindowFixture {
  TempDataFolder data;
  RecordingDialogs dialogs;
  AppState state;
  std::unique_ptr<Tcommentator0_form> main;
  std::unique_ptr<Tip_listening_address_form> dialog;
  MainWindowFixture() {
    state.seams = test_seams(dialogs, data.folder());
    state.ports = {0, 0};
    main = std::make_unique<Tcommentator0_form>(state);
    dialog = std::make_unique<Tip_listening_address_form>(main.get());
    main->set_ip_dialog(dialog.get());
  }
};
} // namespace

void ListeningAddressTest::ok_in_dialog_writes_at_once() {
  MainWindowFixture f;
  f.main->show();
  QCOMPARE(f.main->status_label()->text(),
           QStringLiteral("IP Listening Address = 255.255.255.255 (ALL)"));
  QString seen_in_edit;
  f.main->run_ip_dialog = [&](Tip_listening_address_form &d) {
    seen_in_edit = d.address_edit()->text();
    d.address_edit()->setText(QStringLiteral("192.168.1.20 ") + QString(300, 'z'));
    return true;
  };
  f.main->IPSettings1Click();
  QCOMPARE(seen_in_edit, QStringLiteral("255.255.255.255"));
  const QByteArray expected = QByteArray("192.168.1.20 ") + QByteArray(255 - 13, 'z');
  QCOMPARE(f.state.listening_address, expected);
  QCOMPARE(read_file(f.data.file("commentator.dat")), expected + "\r\n");
  QCOMPARE(f.main->status_label()->text(), "IP Listening Address = " + QString::fromLatin1(expected));
  QVERIFY(f.dialogs.boxes.isEmpty());
}

void ListeningAddressTest::dialog_closed_otherwise_changes_nothing() {
  MainWindowFixture f;
  QVERIFY(write_file(f.data.file("commentator.dat"), "10.0.0.7\r\n"));
  f.main->show();
  f.main->run_ip_dialog = [](Tip_listening_address_form &d) {
    d.BitBtn2Click();
    return false;
  };
  f.main->IPSettings1Click();
  QCOMPARE(f.state.listening_address, QByteArray("10.0.0.7"));
  QCOMPARE(read_file(f.data.file("commentator.dat")), QByteArray("10.0.0.7\r\n"));
}

void ListeningAddressTest::real_dialog_data() {
  QTest::addColumn<QString>("way");
  QTest::addColumn<QByteArray>("address");
  QTest::newRow("Enter presses OK") << "enter" << QByteArray("10.1.2.3");
  QTest::newRow("closed by its close box") << "close" << QByteArray("10.0.0.7");
  QTest::newRow("Escape") << "escape" << QByteArray("10.0.0.7");
}

// The dialog the program runs, modally, typed into as the operator would.
void ListeningAddressTest::real_dialog() {
  QFETCH(QString, way);
  QFETCH(QByteArray, address);
  MainWindowFixture f;
  QVERIFY(write_file(f.data.file("commentator.dat"), "10.0.0.7\r\n"));
  f.main->show();
  Tip_listening_address_form &d = *f.dialog;
  bool focus_in_edit = false;
  QTimer::singleShot(0, &d, [&] {
    focus_in_edit = d.focusWidget() == d.address_edit();
    d.address_edit()->selectAll();
    QTest::keyClicks(d.address_edit(), "10.1.2.3");
    if (way == "enter")
      QTest::keyClick(d.address_edit(), Qt::Key_Return);
    else if (way == "escape")
      QTest::keyClick(d.address_edit(), Qt::Key_Escape);
    else
      d.close();
  });
  QTimer::singleShot(5000, &d, &QDialog::reject); // never hang the suite
  f.main->IPSettings1Click();
  QVERIFY(focus_in_edit);
  QCOMPARE(f.state.listening_address, address);
  QCOMPARE(read_file(f.data.file("commentator.dat")), address + "\r\n");
}

void ListeningAddressTest::listen_to_all_button_fills_edit() {
  Tip_listening_address_form d;
  d.address_edit()->setText("1.2.3.4");
  d.all_senders_button()->click();
  QCOMPARE(d.address_edit()->text(), QStringLiteral("255.255.255.255"));
  QCOMPARE(d.windowTitle(), QStringLiteral("IP Settings"));
}

void ListeningAddressTest::hiding_main_window_writes_file() {
  MainWindowFixture f;
  f.main->show();
  QVERIFY(!QFile::exists(f.data.file("commentator.dat")));
  f.main->hide();
  QCOMPARE(read_file(f.data.file("commentator.dat")), QByteArray("255.255.255.255\r\n"));
  QVERIFY(!f.main->receiver().is_open(1)); // the second listener closes on hide
  QVERIFY(f.main->receiver().is_open(0));
}

QTEST_MAIN(ListeningAddressTest)
#include "listening_address_test.moc"
