#include "browser_view.h"

#include "screens/omnium_model.h"
#include "screens/ptsrace_model.h"
#include "screens/reradu_screen_model.h"
#include "screens/scratch_model.h"
#include "screens/sprint_model.h"
#include "screens/tt_model.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>

#include <algorithm>
#include <cmath>

namespace {

using Status = QHttpServerResponder::StatusCode;

struct Route {
  const char *path;
  const char *resource; // nullptr: the WebSocket
  const char *type;
};

// The whole of what a browser may ask for.
constexpr Route kRoutes[] = {
    {"/", ":/web/index.html", "text/html; charset=utf-8"},
    {"/scratch", ":/web/index.html", "text/html; charset=utf-8"},
    {"/omnium", ":/web/index.html", "text/html; charset=utf-8"},
    {"/points-race", ":/web/index.html", "text/html; charset=utf-8"},
    {"/sprint", ":/web/index.html", "text/html; charset=utf-8"},
    {"/time-trial", ":/web/index.html", "text/html; charset=utf-8"},
    {"/frame", ":/web/index.html", "text/html; charset=utf-8"},
    {"/page.css", ":/web/page.css", "text/css; charset=utf-8"},
    {"/page.js", ":/web/page.js", "text/javascript; charset=utf-8"},
    {"/live", nullptr, nullptr},
};

const Route *route_of(const QString &path) {
  for (const Route &r : kRoutes)
    if (path == QLatin1StringView(r.path))
      return &r;
  return nullptr;
}

// Every response forbids framing, sniffing, caching and referrers; the page
// loads nothing but its own files.
constexpr std::pair<const char *, const char *> kSafetyHeaders[] = {
    {"X-Content-Type-Options", "nosniff"},
    {"X-Frame-Options", "DENY"},
    {"Content-Security-Policy", "default-src 'self'; connect-src 'self'; frame-ancestors 'none'"},
    {"Cache-Control", "no-store"},
    {"Referrer-Policy", "no-referrer"},
};

QByteArray read_resource(const char *name) {
  QFile f(QString::fromLatin1(name));
  if (!f.open(QIODevice::ReadOnly))
    return {};
  return f.readAll();
}

} // namespace

// The HTTP side: answers the fixed routes itself; WebSocket upgrades are
// taken by the base class and handed to BrowserView.
class WebServer final : public QAbstractHttpServer {
public:
  WebServer() {
    for (const Route &r : kRoutes)
      if (r.resource && !files_.contains(r.resource))
        files_.insert(r.resource, read_resource(r.resource));
  }

protected:
  bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override {
    // The base class upgrades a handled request that asks for it, and hands
    // the WebSocket on: only a GET of /live. Any other upgrade is answered
    // as a plain request (through missingHandler).
    if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0)
      return request.url().path() == QLatin1StringView("/live") &&
             request.method() == QHttpServerRequest::Method::Get;
    answer(request, socket);
    return true;
  }

  void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override {
    answer(request, socket);
  }

private:
  void answer(const QHttpServerRequest &request, QTcpSocket *socket) const {
    const Route *route = route_of(request.url().path());
    if (!route) {
      respond(request, socket, Status::NotFound, "text/plain; charset=utf-8", "Not found\n");
      return;
    }
    if (request.method() != QHttpServerRequest::Method::Get) {
      respond(request, socket, Status::MethodNotAllowed, "text/plain; charset=utf-8",
              "Method not allowed\n", true);
      return;
    }
    if (!route->resource) {
      // /live without the upgrade.
      respond(request, socket, Status::UpgradeRequired, "text/plain; charset=utf-8",
              "WebSocket only\n");
      return;
    }
    respond(request, socket, Status::Ok, route->type, files_.value(route->resource));
  }

  static void respond(const QHttpServerRequest &request, QTcpSocket *socket, Status status,
                      const QByteArray &type, const QByteArray &body, bool get_only = false) {
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(status);
    for (const auto &[name, value] : kSafetyHeaders)
      responder.writeHeader(name, value);
    if (get_only)
      responder.writeHeader("Allow", "GET");
    responder.writeHeader("Content-Type", type);
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    // A HEAD answer has no body: bytes after it would be read as the start
    // of the next answer on the connection.
    responder.writeBody(request.method() == QHttpServerRequest::Method::Head ? QByteArray() : body);
  }

  QHash<QByteArray, QByteArray> files_;
};

bool origin_matches_host(const QString &origin, const QByteArray &host) {
  if (origin.isEmpty() || host.isEmpty())
    return false;
  return origin.compare(QLatin1StringView("http://") + QString::fromLatin1(host),
                        Qt::CaseInsensitive) == 0;
}

BrowserView::BrowserView(QObject *parent) : QObject(parent), frame_([this] { flush(); }) {}

BrowserView::~BrowserView() { stop(); }

void BrowserView::add_screen(const QString &name, std::function<QJsonObject()> state) {
  screens_.append({name, std::move(state), false});
}

void BrowserView::screen_changed(const QString &name) {
  // With nobody watching nothing is serialized: a client gets a fresh
  // snapshot when it connects.
  if (clients_.isEmpty())
    return;
  for (Screen &s : screens_)
    if (s.name == name && !s.dirty) {
      s.dirty = true;
      schedule();
    }
}

void BrowserView::set_front(const QString &name) {
  if (name == front_)
    return;
  front_ = name;
  if (clients_.isEmpty())
    return;
  front_dirty_ = true;
  schedule();
}

void BrowserView::set_feed(const WebFeed &feed) {
  if (feed == feed_)
    return;
  feed_ = feed;
  if (clients_.isEmpty())
    return;
  feed_dirty_ = true;
  schedule();
}

QString BrowserView::start(const QHostAddress &address, quint16 port) {
  stop();
  auto server = std::make_unique<WebServer>();
  auto *tcp = new QTcpServer;
  if (!tcp->listen(address, port)) {
    const QString error = QStringLiteral("cannot listen on %1:%2: %3")
                              .arg(address.toString())
                              .arg(port)
                              .arg(tcp->errorString());
    delete tcp;
    return error;
  }
  server->bind(tcp);
  connect(server.get(), &QAbstractHttpServer::newWebSocketConnection, this, &BrowserView::take_clients);
  server_ = std::move(server);
  return {};
}

void BrowserView::stop() {
  const QList<QPointer<QWebSocket>> clients = std::exchange(clients_, {});
  for (const QPointer<QWebSocket> &ws : clients) {
    if (!ws)
      continue;
    ws->disconnect(this);
    ws->abort();
    ws->deleteLater();
  }
  server_.reset();
  frame_.cancel();
  for (Screen &s : screens_)
    s.dirty = false;
  front_dirty_ = feed_dirty_ = false;
  if (!clients.isEmpty())
    emit clients_changed(0);
}

bool BrowserView::is_listening() const { return server_ != nullptr; }

quint16 BrowserView::port() const {
  if (!server_ || server_->servers().isEmpty())
    return 0;
  return server_->servers().first()->serverPort();
}

void BrowserView::take_clients() {
  while (server_ && server_->hasPendingWebSocketConnections()) {
    std::unique_ptr<QWebSocket> ws = server_->nextPendingWebSocketConnection();
    if (ws)
      accept(ws.release());
  }
}

void BrowserView::accept(QWebSocket *ws) {
  ws->setParent(this);
  // Nothing a browser sends is read: a big message is refused early.
  ws->setMaxAllowedIncomingFrameSize(1024);
  ws->setMaxAllowedIncomingMessageSize(1024);
  if (ws->requestUrl().path() != QLatin1StringView("/live")) {
    refuse(ws, kClosePolicy, QStringLiteral("not found"));
    return;
  }
  if (!origin_matches_host(ws->origin(), ws->request().rawHeader("Host"))) {
    refuse(ws, kClosePolicy, QStringLiteral("foreign origin"));
    return;
  }
  if (clients_.size() >= kMaxClients) {
    refuse(ws, kCloseTooMany, QStringLiteral("too many viewers"));
    return;
  }
  clients_.append(ws);
  connect(ws, &QWebSocket::disconnected, this, [this, ws] { drop(ws); });
  // A read-only view: whatever a browser says ends its connection.
  const auto read_only = [this, ws] {
    if (clients_.removeOne(ws)) {
      ws->disconnect(this);
      emit clients_changed(client_count());
    }
    refuse(ws, kClosePolicy, QStringLiteral("read-only view"));
  };
  connect(ws, &QWebSocket::textMessageReceived, this, read_only);
  connect(ws, &QWebSocket::binaryMessageReceived, this, read_only);
  send(ws, QString::fromUtf8(snapshot()));
  emit clients_changed(client_count());
}

void BrowserView::refuse(QWebSocket *ws, int code, const QString &reason) {
  connect(ws, &QWebSocket::disconnected, ws, &QObject::deleteLater);
  ws->close(QWebSocketProtocol::CloseCode(code), reason);
  // A peer that never answers the close is cut off.
  QTimer::singleShot(2000, ws, [ws] {
    ws->abort();
    ws->deleteLater();
  });
}

void BrowserView::drop(QWebSocket *ws) {
  if (!clients_.removeOne(ws))
    return;
  ws->disconnect(this);
  ws->abort();
  ws->deleteLater();
  emit clients_changed(client_count());
}

void BrowserView::schedule() {
  if (frame_.waiting())
    return;
  // Never a zero timer: here it fires before the sockets' write
  // notifications, and a steady feed would keep every client's data in
  // the program, unsent, until each was dropped.
  frame_.defer(std::max<qint64>(frame_.wait_ns(), 1'000'000));
}

void BrowserView::flush() {
  frame_.happened();
  // Each change is serialized once, for every client alike.
  for (Screen &s : screens_) {
    if (!s.dirty)
      continue;
    s.dirty = false;
    send_all(screen_message(s.state()));
  }
  if (std::exchange(front_dirty_, false))
    send_all(front_message(front_));
  if (std::exchange(feed_dirty_, false))
    send_all(feed_message(feed_));
}

void BrowserView::send_all(const QByteArray &message) {
  const QString text = QString::fromUtf8(message);
  const QList<QPointer<QWebSocket>> clients = clients_;
  for (const QPointer<QWebSocket> &ws : clients)
    if (ws)
      send(ws, text);
  ++messages_sent_;
  emit sent();
}

void BrowserView::send(QWebSocket *ws, const QString &text) {
  // What the socket could not hand to the system since the last send is
  // what this client is behind by.
  if (ws->bytesToWrite() > kMaxUnsent) {
    drop(ws);
    return;
  }
  ws->sendTextMessage(text);
}

QByteArray BrowserView::snapshot() const {
  QList<QPair<QString, QJsonObject>> screens;
  for (const Screen &s : screens_)
    screens.append({s.name, s.state()});
  return snapshot_message(front_, feed_, screens);
}

QString web_screen_name(PacketKind kind) {
  switch (kind) {
  case PacketKind::scratch:
    return QStringLiteral("scratch");
  case PacketKind::reradu:
    return QStringLiteral("frame");
  case PacketKind::omnium:
    return QStringLiteral("omnium");
  case PacketKind::sprint:
    return QStringLiteral("sprint");
  case PacketKind::points_race:
    return QStringLiteral("points-race");
  case PacketKind::time_trial:
    return QStringLiteral("time-trial");
  }
  return {};
}

void watch_screens(BrowserView &view, ScratchModel &scratch, OmniumModel &omnium,
                   PtsraceModel &points_race, SprintModel &sprint, TtModel &time_trial,
                   ReraduScreenModel &frame) {
  view.watch(web_screen_name(PacketKind::scratch), scratch);
  view.watch(web_screen_name(PacketKind::omnium), omnium);
  view.watch(web_screen_name(PacketKind::points_race), points_race);
  view.watch(web_screen_name(PacketKind::sprint), sprint);
  view.watch(web_screen_name(PacketKind::time_trial), time_trial);
  view.watch(web_screen_name(PacketKind::reradu), frame);
}
