#include "support/test_env.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

namespace {

// True when a UDP socket is bound to port on this machine.
bool udp_port_bound(quint16 port) {
  const QByteArray hex = QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
  const QByteArray table = read_file("/proc/net/udp");
  return table.contains(":" + hex + " ");
}

} // namespace

class EndToEndTest : public QObject {
  Q_OBJECT
private slots:
  void starts_receives_and_ends_on_sigterm();
};

void EndToEndTest::starts_receives_and_ends_on_sigterm() {
  TempDataFolder data;
  QVERIFY(write_file(data.file("commentator.dat"), "127.0.0.1\r\n"));
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(data.path());
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start(QStringLiteral(COMMENTATOR_EXE), {});
  QVERIFY2(p.waitForStarted(5000), qPrintable(p.errorString()));
  QVERIFY(wait_until([] { return udp_port_bound(29105) && udp_port_bound(29104); }, 10000));

  const QList<QByteArray> feed = {
      "{heartbeat}+",
      "{scratch}+{title}Keirin Heat 2{time}10.512{spd}68.49{eop}",
      "{scratch}+{list}0{rank}1{bib}12{name}A. RIDER{nat}GBR{eop}",
      "{omnium}+{lines}4{cols}4{line}0{0}Rank{1}Bib{2}Name{3}Points{eop}",
      "{omnium}+{lines}10",
      "{sprintf}+{title}Sprint 1/8{rnk1}1{r1}A{eop}",
      "{ptsrace}+{standings}0{rnk}1{bib}5{name}B{eop}",
      "{tt}+{tick-hit}1{time}1:02.345{crs}0{stack}0{eop}",
      "{reradu}+{data},FINAL SPRINT,HEAT 2,,,,,,,",
      QByteArray(2000, '{'),
  };
  for (int round = 0; round < 3; ++round)
    for (const QByteArray &d : feed) {
      QVERIFY(send_loopback(29105, d));
      QVERIFY(send_loopback(29104, d));
    }
  // The program stays up through all of it and still listens on both ports.
  QTest::qWait(300);
  QCOMPARE(p.state(), QProcess::Running);
  QVERIFY(udp_port_bound(29105) && udp_port_bound(29104));

  p.terminate(); // SIGTERM
  QVERIFY(p.waitForFinished(10000));
  QCOMPARE(p.exitStatus(), QProcess::NormalExit);
  QCOMPARE(p.exitCode(), 0);
  QCOMPARE(read_file(data.file("commentator.dat")), QByteArray("127.0.0.1\r\n"));
}

QTEST_GUILESS_MAIN(EndToEndTest)
#include "end_to_end_test.moc"
