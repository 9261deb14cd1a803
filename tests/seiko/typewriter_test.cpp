#include "protocol/text8.h"
#include "seiko/seiko_monitor.h"
#include "seiko/seikomon_form.h"
#include "seiko/seikoreradu_form.h"
#include "support/recording_dialogs.h"
#include "support/test_env.h"
#include "toolkit/led_label.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

const QByteArray kEnd("\x02" "003C63" "\x03", 8);

QByteArray panel_msg(int panel, const QByteArray &ten) {
  return "\x02" "015D0" + QByteArray::number(panel) + "01" + ten + "\x03";
}

// Six lines as the display receives them, then the update-end message.
QByteArray batch(const QList<QByteArray> &lines) {
  QByteArray out;
  for (int k = 1; k <= 6; ++k)
    out += panel_msg(k, lines.value(k - 1).leftJustified(10, ' '));
  return out + kEnd;
}

// Types a text key by key; Latin-1 letters go as their own key codes.
void type_text(QWidget *w, const QString &text) {
  for (QChar c : text) {
    if (c.unicode() < 0x80) {
      QTest::keyClick(w, c.toLatin1());
      continue;
    }
    QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.toUpper().unicode()), QString(c),
                        Qt::NoModifier);
  }
}

struct Rig {
  RecordingDialogs dialogs;
  SeikoMonitorState state;
  SeikoMonitor driver{state, test_seams(dialogs)};
  Tseikomon_form monitor{driver, test_seams(dialogs)};
  Tseikoreradu_form typewriter{driver};
  QTcpServer server;
  QTcpSocket *peer = nullptr;
  QByteArray received;

  Rig() {
    driver.timer()->stop();
    monitor.set_typewriter(&typewriter);
    if (!server.listen(QHostAddress::LocalHost, 0))
      return;
    driver.connect_display("127.0.0.1", server.serverPort());
    if (!wait_until([&] {
          return server.hasPendingConnections() &&
                 driver.display()->state() == QAbstractSocket::ConnectedState;
        }))
      return;
    peer = server.nextPendingConnection();
    QObject::connect(peer, &QTcpSocket::readyRead, [this] { received += peer->readAll(); });
    monitor.show();
    typewriter.show();
  }
  // Everything sent so far, closed by a marker written behind it.
  QByteArray sent() {
    driver.display()->write("#");
    wait_until([&] { return received.endsWith('#'); });
    QByteArray out = received;
    received.clear();
    out.chop(1);
    return out;
  }
};

} // namespace

class TypewriterTest : public QObject {
  Q_OBJECT
private slots:
  void created_hidden();
  void enter_sends_the_six_lines_data();
  void enter_sends_the_six_lines();
  void eleventh_character_cannot_be_typed_data();
  void eleventh_character_cannot_be_typed();
  void enter_twice_sends_twice();
  void send_button_sends();
  void escape_closes_with_ok_and_lines_stay();
  void selector_of_the_monitor_is_passed_on();
};

void TypewriterTest::created_hidden() {
  RecordingDialogs dialogs;
  SeikoMonitorState state;
  SeikoMonitor driver(state, test_seams(dialogs));
  Tseikoreradu_form typewriter(driver);
  QVERIFY(!typewriter.isVisible());
  QCOMPARE(typewriter.windowTitle(), QString("Seiko Rirov & Evida Vodovoviri"));
  QCOMPARE(typewriter.send_button()->text(), QString("&Send <CR>"));
  for (int k = 1; k <= 6; ++k) {
    QCOMPARE(typewriter.line(k)->maxLength(), 10);
    QCOMPARE(typewriter.line(k)->text(), QString());
  }
  QCOMPARE(typewriter.line(4)->geometry(), QRect(52, 82, 121, 21));
}

void TypewriterTest::enter_sends_the_six_lines_data() {
  QTest::addColumn<int>("line");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QByteArray>("ten");
  QTest::newRow("AB in the first line") << 1 << QString("AB") << QByteArray("AB        ");
  QTest::newRow("ten in the last line") << 6 << QString("0123456789") << QByteArray("0123456789");
  QTest::newRow("blanks in line 3") << 3 << QString(" X ") << QByteArray(" X        ");
  QTest::newRow("8-bit text") << 2 << QString::fromLatin1("caf\xe9") << QByteArray("caf\xe9      ");
  QTest::newRow("euro sign") << 4 << QString::fromUtf8("5 €") << QByteArray("5 \x80       ");
  QTest::newRow("outside the code page")
      << 5 << QString::fromUtf8("Ā") << QByteArray("?         ");
  QTest::newRow("euro beside a character without a byte")
      << 1 << QString::fromUtf8("€Ā€") << QByteArray("\x80?\x80       ");
}

void TypewriterTest::enter_sends_the_six_lines() {
  QFETCH(int, line);
  QFETCH(QString, typed);
  QFETCH(QByteArray, ten);
  Rig rig;
  QVERIFY(rig.peer);
  type_text(rig.typewriter.line(line), typed);
  QCOMPARE(rig.sent(), QByteArray()); // typing alone sends nothing
  QTest::keyClick(rig.typewriter.line(line), Qt::Key_Return);
  QList<QByteArray> lines(6);
  lines[line - 1] = ten;
  QCOMPARE(rig.sent(), batch(lines));
  for (int k = 1; k <= 6; ++k)
    QCOMPARE(rig.monitor.panel_label(k)->text(),
             from_8bit(lines[k - 1].leftJustified(10, ' ')));
  QVERIFY(rig.typewriter.isVisible()); // sending does not close it
  QCOMPARE(rig.typewriter.line(line)->text(), typed);
}

void TypewriterTest::eleventh_character_cannot_be_typed_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("kept");
  QTest::newRow("eleven") << QString("ABCDEFGHIJK") << QString("ABCDEFGHIJ");
  QTest::newRow("fifteen") << QString("123456789012345") << QString("1234567890");
  QTest::newRow("ten") << QString("ABCDEFGHIJ") << QString("ABCDEFGHIJ");
}

void TypewriterTest::eleventh_character_cannot_be_typed() {
  QFETCH(QString, typed);
  QFETCH(QString, kept);
  Rig rig;
  QVERIFY(rig.peer);
  QTest::keyClicks(rig.typewriter.line(2), typed);
  QCOMPARE(rig.typewriter.line(2)->text(), kept);
  QTest::keyClick(rig.typewriter.line(2), Qt::Key_Enter); // the keypad's Enter too
  QCOMPARE(rig.sent(), batch({QByteArray(), kept.toLatin1()}));
}

void TypewriterTest::enter_twice_sends_twice() {
  Rig rig;
  QVERIFY(rig.peer);
  QTest::keyClicks(rig.typewriter.line(1), "AB");
  QTest::keyClick(rig.typewriter.line(1), Qt::Key_Return);
  QTest::keyClick(rig.typewriter.line(1), Qt::Key_Return);
  QCOMPARE(rig.sent(), batch({"AB"}) + batch({"AB"}));
}

void TypewriterTest::send_button_sends() {
  Rig rig;
  QVERIFY(rig.peer);
  rig.typewriter.line(5)->setText("FIVE");
  rig.typewriter.send_button()->click();
  QCOMPARE(rig.sent(), batch({{}, {}, {}, {}, "FIVE"}));
  // Enter on the focused button sends once, not twice.
  QTest::keyClick(rig.typewriter.send_button(), Qt::Key_Return);
  QCOMPARE(rig.sent(), batch({{}, {}, {}, {}, "FIVE"}));
}

void TypewriterTest::escape_closes_with_ok_and_lines_stay() {
  Rig rig;
  QVERIFY(rig.peer);
  QTest::keyClicks(rig.typewriter.line(1), "KEPT");
  QTest::keyClick(rig.typewriter.line(1), Qt::Key_Escape);
  QVERIFY(!rig.typewriter.isVisible());
  QCOMPARE(rig.typewriter.result(), int(QDialog::Accepted));
  QCOMPARE(rig.sent(), QByteArray()); // closing sends nothing
  rig.typewriter.show();
  QCOMPARE(rig.typewriter.line(1)->text(), QString("KEPT"));
  QCOMPARE(rig.typewriter.focusWidget(), rig.typewriter.line(1));
  rig.typewriter.ok_button()->click();
  QVERIFY(!rig.typewriter.isVisible());
  QCOMPARE(rig.typewriter.result(), int(QDialog::Accepted));
}

void TypewriterTest::selector_of_the_monitor_is_passed_on() {
  Rig rig;
  QVERIFY(rig.peer);
  rig.driver.set_panel(-7, -1, ""); // a negative selector: no serial line
  rig.typewriter.send_lines();
  QCOMPARE(rig.state.serial_selector, -7);
  QCOMPARE(rig.sent(), batch({}));
  QVERIFY(rig.dialogs.boxes.isEmpty());
}

QTEST_MAIN(TypewriterTest)
#include "typewriter_test.moc"
