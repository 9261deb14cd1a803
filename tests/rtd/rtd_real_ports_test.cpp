#include "rtd/rtd_driver.h"
#include "support/recording_dialogs.h"
#include "support/test_env.h"

#include <QUdpSocket>
#include <QtTest>

// The program's own port numbers: RTD port 0 goes to 29696, the 1500 output
// to 3002. Aimed at 127.0.0.1 instead of the broadcast address.
class TestRtdRealPorts : public QObject {
  Q_OBJECT
private slots:
  void default_ports();
};

void TestRtdRealPorts::default_ports() {
  QUdpSocket rtd_rx;
  QUdpSocket rx_1500;
  if (!rtd_rx.bind(QHostAddress::LocalHost, 29696) || !rx_1500.bind(QHostAddress::LocalHost, 3002))
    QSKIP("port 29696 or 3002 is in use on this machine");
  RecordingDialogs dialogs;
  Seams seams = test_seams(dialogs);
  RtdDriverState state;
  QdSettings settings;
  RtdDriver driver(state, settings, seams);
  RtdDestinations d;
  d.address = QHostAddress(QHostAddress::LocalHost);
  driver.set_destinations(d);
  QCOMPARE(driver.destinations().rtd_default_port, quint16(29696));
  QCOMPARE(driver.destinations().port_1500, quint16(3002));

  driver.rtd_send(settings.rtd_com_port, settings.rtd_winsock_port, settings.qd_code, {});
  const QByteArray expected = QByteArray("\r10100  ") + QByteArray(200, ' ') + "\r";
  for (QUdpSocket *rx : {&rtd_rx, &rx_1500}) {
    QVERIFY(wait_until([&] { return rx->hasPendingDatagrams(); }));
    QByteArray got(4096, '\0');
    got.resize(rx->readDatagram(got.data(), got.size()));
    QCOMPARE(got, expected);
  }
  QCOMPARE(driver.log_lines().value(0), QStringLiteral("opening WINSOCK 29696 for RTD"));
  QCOMPARE(driver.log_lines().value(2), QStringLiteral("opening WINSOCK 3002 for 1500 RTD"));
  QVERIFY(!driver.serial_open());
}

QTEST_MAIN(TestRtdRealPorts)
#include "rtd_real_ports_test.moc"
