#include "screen_models.h"
#include "support/test_env.h"
#include "web/browser_view.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>

#include <memory>
#include <optional>

namespace {

// The six models served on 127.0.0.1 and an ephemeral port.
struct Served {
  ScreenModels models;
  BrowserView view;
  QString error;

  Served() {
    watch_screens(view, models.scratch, models.omnium, models.points_race, models.sprint,
                  models.time_trial, models.frame);
    error = view.start(QHostAddress::LocalHost, 0);
  }
  QString host() const { return QStringLiteral("127.0.0.1:%1").arg(view.port()); }
  QUrl live() const { return QUrl(QStringLiteral("ws://%1/live").arg(host())); }
};

// A browser's WebSocket: collects every message and the close.
struct Viewer {
  QWebSocket ws;
  QStringList messages;
  bool closed = false;
  int close_code = 0;
  QString close_reason;

  explicit Viewer(const QString &origin) : ws(origin) {
    QObject::connect(&ws, &QWebSocket::textMessageReceived, &ws,
                     [this](const QString &m) { messages.append(m); });
    QObject::connect(&ws, &QWebSocket::disconnected, &ws, [this] {
      closed = true;
      close_code = ws.closeCode();
      close_reason = ws.closeReason();
    });
  }
  // Qt's QWebSocket leaks its "going away" close reason when it is destroyed
  // while still connected: a viewer leaves by dropping its connection.
  ~Viewer() { ws.abort(); }
  bool open(const QUrl &url) {
    ws.open(url);
    return wait_until([&] { return !messages.isEmpty() || closed; });
  }
  // The newest message of a type, once it has come.
  QJsonObject wait_for(const QString &type, int count = 1) {
    wait_until([&] { return of_type(type).size() >= count || closed; });
    const QList<QJsonObject> m = of_type(type);
    return m.size() >= count ? m[count - 1] : QJsonObject();
  }
  QList<QJsonObject> of_type(const QString &type) const {
    QList<QJsonObject> out;
    // Parsed when asked: a viewer that parses every big message as it comes
    // would fall behind by itself.
    const QString tag = QStringLiteral("\"type\":\"%1\"").arg(type);
    for (const QString &m : messages) {
      if (!m.contains(tag))
        continue;
      const QJsonObject o = QJsonDocument::fromJson(m.toUtf8()).object();
      if (o["type"].toString() == type)
        out.append(o);
    }
    return out;
  }
};

// A viewer that does the upgrade by hand: it can stop reading, and it sees
// the close frame as sent (Qt's own client does not know every close code).
struct RawViewer {
  QTcpSocket socket;

  RawViewer(quint16 port, const QByteArray &host) {
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write("GET /live HTTP/1.1\r\nHost: " + host +
                 "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                 "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n"
                 "Origin: http://" + host + "\r\n\r\n");
  }
  // Reads up to the close frame; its code and reason, or nothing.
  std::optional<std::pair<int, QByteArray>> close_frame() {
    QByteArray in;
    wait_until([&] { return socket.state() == QAbstractSocket::ConnectedState; });
    wait_until([&] {
      in += socket.readAll();
      return socket.state() != QAbstractSocket::ConnectedState || frame_end(in) > 0;
    }, 5000);
    in += socket.readAll();
    qsizetype at = in.indexOf("\r\n\r\n");
    if (at < 0)
      return std::nullopt;
    at += 4;
    // Unmasked server frames with short lengths: the close is the last one.
    while (at + 2 <= in.size()) {
      const int op = quint8(in[at]) & 0x0F;
      const int len = quint8(in[at + 1]) & 0x7F;
      if (len >= 126 && op != 8) {
        const qint64 n = len == 126 ? (quint8(in[at + 2]) << 8 | quint8(in[at + 3])) : 0;
        at += 4 + n;
        continue;
      }
      if (op == 8 && len >= 2 && at + 2 + len <= in.size())
        return std::make_pair(quint8(in[at + 2]) << 8 | quint8(in[at + 3]), in.mid(at + 4, len - 2));
      at += 2 + len;
    }
    return std::nullopt;
  }
  static qsizetype frame_end(const QByteArray &in) { return in.indexOf(QByteArray("\x88", 1)); }
};

QString cell(const QJsonObject &screen, const QString &table, int row, int col) {
  for (const QJsonValue &t : screen["tables"].toArray())
    if (t["id"].toString() == table)
      return t["cells"][row][col].toString();
  return {};
}

} // namespace

class BrowserViewTest : public QObject {
  Q_OBJECT
private slots:
  void routes_data();
  void routes();
  void snapshot_then_one_message_per_change();
  void front_and_feed();
  void foreign_origin_is_refused_data();
  void foreign_origin_is_refused();
  void thirty_third_viewer_is_refused();
  void a_viewer_that_talks_is_closed();
  void stalled_viewer_is_dropped();
  void busy_port_is_reported();
};

void BrowserViewTest::routes_data() {
  QTest::addColumn<QByteArray>("method");
  QTest::addColumn<QString>("path");
  QTest::addColumn<int>("status");
  QTest::addColumn<QString>("type");
  QTest::newRow("/") << QByteArray("GET") << "/" << 200 << "text/html; charset=utf-8";
  QTest::newRow("/points-race") << QByteArray("GET") << "/points-race" << 200 << "text/html; charset=utf-8";
  QTest::newRow("/frame") << QByteArray("GET") << "/frame" << 200 << "text/html; charset=utf-8";
  QTest::newRow("/page.css") << QByteArray("GET") << "/page.css" << 200 << "text/css; charset=utf-8";
  QTest::newRow("/page.js") << QByteArray("GET") << "/page.js" << 200 << "text/javascript; charset=utf-8";
  QTest::newRow("unknown path") << QByteArray("GET") << "/admin" << 404 << "";
  QTest::newRow("slash after route") << QByteArray("GET") << "/scratch/" << 404 << "";
  QTest::newRow("the file by name") << QByteArray("GET") << "/index.html" << 404 << "";
  QTest::newRow("resource path") << QByteArray("GET") << "/web/page.js" << 404 << "";
  QTest::newRow("POST") << QByteArray("POST") << "/" << 405 << "";
  QTest::newRow("PUT") << QByteArray("PUT") << "/page.js" << 405 << "";
  QTest::newRow("DELETE") << QByteArray("DELETE") << "/sprint" << 405 << "";
  QTest::newRow("HEAD") << QByteArray("HEAD") << "/" << 405 << "";
  QTest::newRow("POST elsewhere") << QByteArray("POST") << "/upload" << 404 << "";
  QTest::newRow("/live without upgrade") << QByteArray("GET") << "/live" << 426 << "";
}

void BrowserViewTest::routes() {
  QFETCH(QByteArray, method);
  QFETCH(QString, path);
  QFETCH(int, status);
  QFETCH(QString, type);
  Served s;
  QVERIFY2(s.error.isEmpty(), qPrintable(s.error));
  QNetworkAccessManager net;
  QNetworkRequest request(QUrl(QStringLiteral("http://%1%2").arg(s.host(), path)));
  // HEAD through its own call: as a custom verb the reply would wait for a body.
  std::unique_ptr<QNetworkReply> reply(method == "HEAD" ? net.head(request)
                                                        : net.sendCustomRequest(request, method, QByteArray("x")));
  QSignalSpy finished(reply.get(), &QNetworkReply::finished);
  QVERIFY(finished.wait(5000));
  QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), status);
  QCOMPARE(reply->rawHeader("X-Content-Type-Options"), QByteArray("nosniff"));
  QCOMPARE(reply->rawHeader("X-Frame-Options"), QByteArray("DENY"));
  QCOMPARE(reply->rawHeader("Content-Security-Policy"),
           QByteArray("default-src 'self'; connect-src 'self'; frame-ancestors 'none'"));
  QCOMPARE(reply->rawHeader("Cache-Control"), QByteArray("no-store"));
  QCOMPARE(reply->rawHeader("Referrer-Policy"), QByteArray("no-referrer"));
  if (status == 405)
    QCOMPARE(reply->rawHeader("Allow"), QByteArray("GET"));
  if (status != 200)
    return;
  QCOMPARE(QString::fromLatin1(reply->rawHeader("Content-Type")), type);
  QVERIFY(!reply->readAll().isEmpty());
}

void BrowserViewTest::snapshot_then_one_message_per_change() {
  Served s;
  QVERIFY2(s.error.isEmpty(), qPrintable(s.error));
  s.models.sprint.apply_packet("{sprintf}+{title}Before{r1}12 A. RIDER{eop}");
  Viewer v("http://" + s.host());
  QVERIFY(v.open(s.live()));
  const QJsonObject snapshot = v.wait_for("snapshot");
  QCOMPARE(snapshot["version"].toInt(), 1);
  QVERIFY(snapshot["front"].isNull());
  QCOMPARE(snapshot["screens"].toObject().keys(),
           QStringList({"frame", "omnium", "points-race", "scratch", "sprint", "time-trial"}));
  QCOMPARE(snapshot["screens"]["sprint"]["texts"][0]["text"].toString(), "Before");

  // Many changes between two turns of the event loop reach the viewer as
  // one message holding the whole screen as it is after the last.
  const qint64 before = s.view.messages_sent();
  QSignalSpy sent(&s.view, &BrowserView::sent);
  for (int i = 0; i < 50; ++i)
    s.models.omnium.apply_packet("{omnium}+{line}1{0}" + QByteArray::number(i));
  QVERIFY(sent.wait(5000));
  QCOMPARE(s.view.messages_sent() - before, 1);
  const QJsonObject change = v.wait_for("screen");
  QCOMPARE(change["screen"]["name"].toString(), "omnium");
  QCOMPARE(cell(change["screen"].toObject(), "results", 1, 0), "49");
  QCOMPARE(v.of_type("screen").size(), 1);
}

void BrowserViewTest::front_and_feed() {
  Served s;
  Viewer v("http://" + s.host());
  QVERIFY(v.open(s.live()));
  s.view.set_front("time-trial");
  QCOMPARE(v.wait_for("front")["front"].toString(), "time-trial");
  s.view.set_feed({QStringLiteral("red"), QStringLiteral("silent"), 61});
  const QJsonObject feed = v.wait_for("feed")["feed"].toObject();
  QCOMPARE(feed["level"].toString(), "red");
  QCOMPARE(feed["stale_s"].toInt(), 61);
  // A viewer that comes later finds both in its snapshot.
  Viewer later("http://" + s.host());
  QVERIFY(later.open(s.live()));
  const QJsonObject snapshot = later.wait_for("snapshot");
  QCOMPARE(snapshot["front"].toString(), "time-trial");
  QCOMPARE(snapshot["feed"]["text"].toString(), "silent");
}

void BrowserViewTest::foreign_origin_is_refused_data() {
  QTest::addColumn<QString>("origin");
  QTest::newRow("another site") << "http://evil.example";
  QTest::newRow("another port") << "http://127.0.0.1:1";
  QTest::newRow("no origin") << "";
}

void BrowserViewTest::foreign_origin_is_refused() {
  QFETCH(QString, origin);
  Served s;
  Viewer v(origin);
  QVERIFY(v.open(s.live()));
  QVERIFY(wait_until([&] { return v.closed; }));
  QVERIFY(v.of_type("snapshot").isEmpty());
  QCOMPARE(v.close_code, BrowserView::kClosePolicy);
  QCOMPARE(s.view.client_count(), 0);
}

void BrowserViewTest::thirty_third_viewer_is_refused() {
  Served s;
  std::vector<std::unique_ptr<Viewer>> viewers;
  for (int i = 0; i < BrowserView::kMaxClients; ++i) {
    viewers.push_back(std::make_unique<Viewer>("http://" + s.host()));
    QVERIFY(viewers.back()->open(s.live()));
    QVERIFY(!viewers.back()->closed);
  }
  QCOMPARE(s.view.client_count(), BrowserView::kMaxClients);
  RawViewer extra(s.view.port(), s.host().toLatin1());
  const auto close = extra.close_frame();
  QVERIFY(close.has_value());
  QCOMPARE(close->first, BrowserView::kCloseTooMany);
  QCOMPARE(close->second, QByteArray("too many viewers"));
  QCOMPARE(s.view.client_count(), BrowserView::kMaxClients);
  // One leaves: there is room again.
  viewers.front()->ws.close();
  QVERIFY(wait_until([&] { return s.view.client_count() == BrowserView::kMaxClients - 1; }));
  Viewer next("http://" + s.host());
  QVERIFY(next.open(s.live()));
  QVERIFY(!next.wait_for("snapshot").isEmpty());
}

void BrowserViewTest::a_viewer_that_talks_is_closed() {
  Served s;
  Viewer v("http://" + s.host());
  QVERIFY(v.open(s.live()));
  v.ws.ping();
  v.ws.sendTextMessage("hello");
  QVERIFY(wait_until([&] { return v.closed; }));
  QCOMPARE(v.close_code, BrowserView::kClosePolicy);
  QCOMPARE(s.view.client_count(), 0);
}

void BrowserViewTest::stalled_viewer_is_dropped() {
  Served s;
  // A viewer that does the upgrade by hand and then reads nothing more.
  RawViewer stalled(s.view.port(), s.host().toLatin1());
  QTcpSocket &raw = stalled.socket;
  raw.setReadBufferSize(4096);
  QVERIFY(wait_until([&] { return s.view.client_count() == 1; }));
  Viewer reader("http://" + s.host());
  QVERIFY(reader.open(s.live()));

  // A wide table makes each change big; datagrams keep coming.
  s.models.omnium.apply_packet("{omnium}+{lines}300{cols}100{line}0{0}Rank");
  int applied = 0;
  const QDeadlineTimer deadline(60000);
  for (int i = 0; i < 5000 && s.view.client_count() == 2 && !deadline.hasExpired(); ++i) {
    // Paced by the viewer that reads: it gets every change before the next.
    const qsizetype got = reader.messages.size();
    s.models.omnium.apply_packet("{omnium}+{line}299{0}" + QByteArray::number(i));
    ++applied;
    wait_until([&] { return reader.messages.size() > got || s.view.client_count() < 2; }, 5000);
  }
  QCOMPARE(s.view.client_count(), 1);
  // The viewer that reads keeps up and sees the last change.
  s.models.omnium.apply_packet("{omnium}+{line}299{0}last");
  QVERIFY(wait_until([&] {
    const QList<QJsonObject> screens = reader.of_type("screen");
    return !screens.isEmpty() && cell(screens.last()["screen"].toObject(), "results", 299, 0) == "last";
  }, 10000));
  QVERIFY(!reader.closed);
  qInfo("stalled viewer dropped after %d changes", applied);
}

void BrowserViewTest::busy_port_is_reported() {
  Served first;
  BrowserView second;
  const QString error = second.start(QHostAddress::LocalHost, first.view.port());
  QVERIFY(error.contains(QString::number(first.view.port())));
  QVERIFY(!second.is_listening());
  // The first goes on serving.
  Viewer v("http://" + first.host());
  QVERIFY(v.open(first.live()));
  QVERIFY(!v.wait_for("snapshot").isEmpty());
}

QTEST_MAIN(BrowserViewTest)
#include "browser_view_test.moc"
