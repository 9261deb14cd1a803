#include "app/browser_view_control.h"
#include "app/browser_view_form.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "support/recording_dialogs.h"
#include "support/test_env.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenuBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTcpServer>
#include <QTest>
#include <QWebSocket>

namespace {

// The whole program's windows, listening on two ephemeral loopback ports.
struct Program {
  TempDataFolder data;
  RecordingDialogs dialogs;
  AppState state;
  std::unique_ptr<CommentatorWindows> windows;

  Program() {
    state.seams = test_seams(dialogs, data.folder());
    state.ports = {0, 0};
    windows = std::make_unique<CommentatorWindows>(state);
    main().show();
  }
  Tcommentator0_form &main() { return windows->main_window(); }
  BrowserViewControl &browser() { return windows->browser_view(); }
  QString host() { return QStringLiteral("127.0.0.1:%1").arg(browser().view().port()); }
};

// A port nobody listens on just now.
quint16 free_port() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

// Every message a browser gets, parsed.
struct Viewer {
  QWebSocket ws;
  QList<QJsonObject> messages;
  explicit Viewer(const QString &host) : ws("http://" + host) {
    QObject::connect(&ws, &QWebSocket::textMessageReceived, &ws,
                     [this](const QString &m) { messages.append(QJsonDocument::fromJson(m.toUtf8()).object()); });
    ws.open(QUrl("ws://" + host + "/live"));
  }
  bool got(const std::function<bool(const QJsonObject &)> &pred) {
    return wait_until([&] { return std::any_of(messages.begin(), messages.end(), pred); });
  }
};

} // namespace

class BrowserViewAppTest : public QObject {
  Q_OBJECT
private slots:
  void datagram_reaches_the_browser();
  void menu_item_switches_and_remembers();
  void busy_port_is_said_in_the_main_window();
};

void BrowserViewAppTest::datagram_reaches_the_browser() {
  Program p;
  QVERIFY(p.browser().switch_to({true, QHostAddress(QHostAddress::LocalHost), 0}));
  Viewer v(p.host());
  QVERIFY(v.got([](const QJsonObject &m) { return m["type"] == "snapshot"; }));

  QVERIFY(send_loopback(p.main().receiver().local_port(0), "{omnium}+{line}0{0}Rank{1}Bib{eop}"));
  QVERIFY(v.got([](const QJsonObject &m) {
    const QJsonObject s = m["screen"].toObject();
    return m["type"] == "screen" && s["name"] == "omnium" &&
           s["tables"][0]["cells"][0][1].toString() == "Bib";
  }));
  QVERIFY(v.got([](const QJsonObject &m) { return m["type"] == "front" && m["front"] == "omnium"; }));
}

void BrowserViewAppTest::menu_item_switches_and_remembers() {
  Program p;
  // Off by default: no file, nothing listening, the window as designed.
  QVERIFY(!p.browser().view().is_listening());
  QVERIFY(p.main().findChild<QStatusBar *>() == nullptr);

  const quint16 port = free_port();
  p.browser().run_dialog = [port](Tbrowser_view_form &d) {
    d.CheckBox1->setChecked(true);
    d.Edit1->setText("127.0.0.1");
    d.SpinEdit1->setValue(port);
    return true;
  };
  QAction *item = nullptr;
  for (QAction *a : p.main().menuBar()->actions())
    if (a->text() == QStringLiteral("&Browser View…"))
      item = a;
  QVERIFY(item);
  item->trigger();
  QVERIFY(p.browser().view().is_listening());
  QCOMPARE(p.browser().view().port(), port);
  QVERIFY2(p.browser().status_text().contains(QStringLiteral("http://127.0.0.1:%1/").arg(port)),
           qPrintable(p.browser().status_text()));
  QVERIFY(p.main().statusBar()->isVisible());

  // The next start switches it on as remembered.
  const BrowserViewSettings remembered = load_browser_view_settings(p.data.folder());
  QVERIFY(remembered.on);
  QCOMPARE(remembered.port, port);
  QCOMPARE(remembered.address.toString(), "127.0.0.1");

  // OK on the same choice keeps the viewers that are connected.
  Viewer v(p.host());
  QVERIFY(v.got([](const QJsonObject &m) { return m["type"] == "snapshot"; }));
  p.browser().run_dialog = [](Tbrowser_view_form &) { return true; };
  item->trigger();
  QCOMPARE(p.browser().view().client_count(), 1);

  // Cancel changes nothing; off stops it and is remembered too.
  p.browser().run_dialog = [](Tbrowser_view_form &d) {
    d.CheckBox1->setChecked(false);
    return false;
  };
  p.browser().BrowserView1Click();
  QVERIFY(p.browser().view().is_listening());
  p.browser().run_dialog = [](Tbrowser_view_form &d) {
    d.CheckBox1->setChecked(false);
    return true;
  };
  p.browser().BrowserView1Click();
  QVERIFY(!p.browser().view().is_listening());
  QVERIFY(!load_browser_view_settings(p.data.folder()).on);
  QVERIFY(p.browser().status_text().isEmpty());
  QVERIFY(p.dialogs.boxes.isEmpty());
}

void BrowserViewAppTest::busy_port_is_said_in_the_main_window() {
  Program p;
  QTcpServer other;
  QVERIFY(other.listen(QHostAddress::LocalHost, 0));
  QVERIFY(!p.browser().switch_to({true, QHostAddress(QHostAddress::LocalHost), other.serverPort()}));
  QVERIFY(!p.browser().view().is_listening());
  const QString said = p.browser().status_text();
  QVERIFY2(said.startsWith("Browser view off: ") && said.contains(QString::number(other.serverPort())),
           qPrintable(said));
  QVERIFY(p.main().statusBar()->isVisible());
  // The program goes on: datagrams are still handled.
  QVERIFY(send_loopback(p.main().receiver().local_port(0), "{omnium}+{line}0{0}Rank{eop}"));
  QVERIFY(wait_until([&] { return !p.main().log().lines().isEmpty(); }));
}

QTEST_MAIN(BrowserViewAppTest)
#include "browser_view_test.moc"
