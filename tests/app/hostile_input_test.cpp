#include "app/main_window.h"
#include "app/startup.h"
#include "screens/commentator_scratch.h"
#include "support/recording_dialogs.h"
#include "support/test_env.h"

#include <QTest>
#include <QUdpSocket>

namespace {

QByteArray every_byte() {
  QByteArray b;
  for (int i = 0; i < 256; ++i)
    b.append(char(i));
  return b;
}

// Every numeric tag of every kind with a number far beyond 32 bits.
QByteArray huge_numbers() {
  const QByteArray n = "99999999999999999999999";
  QByteArray d = "{scratch}+{list}" + n + "{omnium}+{lines}" + n + "{cols}-" + n + "{line}" + n +
                 "{ptsrace}+{standings}" + n + "{sprint}-" + n + "{tt}+{standings}" + n;
  return d;
}

} // namespace

class HostileInputTest : public QObject {
  Q_OBJECT
private slots:
  void datagram_is_handled_and_listener_survives_data();
  void datagram_is_handled_and_listener_survives();
};

void HostileInputTest::datagram_is_handled_and_listener_survives_data() {
  QTest::addColumn<QByteArray>("datagram");
  QTest::addColumn<bool>("filtered");
  QTest::newRow("empty") << QByteArray() << false;
  QTest::newRow("1025 bytes") << QByteArray(1025, 'x') << false;
  QTest::newRow("65507 bytes") << QByteArray(65507, '{') << false;
  QTest::newRow("zero inside") << QByteArray("{scratch}+{title}A\0B", 20) << false;
  QTest::newRow("every byte value") << every_byte() << false;
  QTest::newRow("every byte value after kinds")
      << QByteArray("{scratch}+{omnium}+{ptsrace}+{tt}+{reradu}+{sprintf}+") + every_byte().mid(1)
      << false;
  QTest::newRow("1024 braces") << QByteArray(1024, '{') << false;
  QTest::newRow("1024 closing braces") << QByteArray(1024, '}') << false;
  QTest::newRow("numbers beyond 32 bits") << huge_numbers() << false;
  QTest::newRow("huge omnium shape")
      << QByteArray("{omnium}+{lines}2000000000{cols}2000000000{line}0") << false;
  QTest::newRow("filtered sender") << QByteArray("{scratch}+{clr}+") << true;
}

void HostileInputTest::datagram_is_handled_and_listener_survives() {
  QFETCH(QByteArray, datagram);
  QFETCH(bool, filtered);
  TempDataFolder data;
  if (filtered)
    QVERIFY(write_file(data.file("commentator.dat"), "10.9.9.9\r\n"));
  RecordingDialogs dialogs;
  AppState state;
  state.seams = test_seams(dialogs, data.folder());
  state.ports = {0, 0};
  CommentatorWindows windows(state);
  Tcommentator0_form &main = windows.main_window();
  main.show();

  // Handled directly, twice (the first brings its windows up); how fast is
  // measured by bench/hostile.
  main.handle_datagram(datagram.left(1024), "127.0.0.1");
  main.handle_datagram(datagram.left(1024), "127.0.0.1");
  QCOMPARE(main.log().lines().size(), 2); // one line each

  // Through the real listener: the hostile datagram, then 100 ms later a
  // valid one on the same listener, which is applied.
  for (int listener = 0; listener < 2; ++listener) {
    QUdpSocket s;
    const quint16 port = main.receiver().local_port(listener);
    s.writeDatagram(datagram, QHostAddress::LocalHost, port);
    QTest::qWait(100);
    const QByteArray valid = "{scratch}+{list}3{name}STILL LISTENING " +
                             QByteArray::number(listener) + "{eop}";
    QVERIFY(s.writeDatagram(valid, QHostAddress::LocalHost, port) == valid.size());
    const QString expected = filtered ? QStringLiteral("IGNORED packet from 127.0.0.1")
                                      : "127.0.0.1>" + QString::fromLatin1(valid);
    QVERIFY(wait_until([&] { return main.log().lines().value(main.log().lines().size() - 1) == expected; }));
    QVERIFY(main.receiver().is_open(listener));
    if (!filtered) {
      auto *scratch = static_cast<Tcommentator_scratch *>(windows.screen(PacketKind::scratch));
      QCOMPARE(scratch->competitor_table().cell(2, 4),
               "STILL LISTENING " + QByteArray::number(listener));
    }
  }
}

QTEST_MAIN(HostileInputTest)
#include "hostile_input_test.moc"
