#pragma once

#include "screen_json.h"

#include "protocol/dispatcher.h"
#include "toolkit/frame_throttle.h"

#include <QByteArray>
#include <QHostAddress>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QWebSocket;
class WebServer;

// Serves the screens to browsers: the page on a fixed list of GET routes and
// their state over the WebSocket /live (a snapshot on connect, then each
// screen's changes at most once a display frame, the screen in front and the
// feed health). Read-only: a client that sends a message is closed. Nothing
// here waits: a client that does not keep up is dropped, never waited for.
class BrowserView : public QObject {
  Q_OBJECT
public:
  static constexpr int kMaxClients = 32;
  // Unsent bytes a client may have waiting before it is dropped.
  static constexpr qint64 kMaxUnsent = qint64(1) << 20;
  // Close codes of a refused client: too many viewers, a foreign page.
  static constexpr int kCloseTooMany = 1013;
  static constexpr int kClosePolicy = 1008;

  explicit BrowserView(QObject *parent = nullptr);
  ~BrowserView() override;

  // A screen by its route name, with what it shows now. Changes are marked
  // through screen_changed (watch connects a model's changed signal).
  void add_screen(const QString &name, std::function<QJsonObject()> state);
  template <typename Model> void watch(const QString &name, Model &model) {
    add_screen(name, [&model] { return screen_json(model); });
    connect(&model, &Model::changed, this, [this, name] { screen_changed(name); });
  }
  void screen_changed(const QString &name);
  void set_front(const QString &name);
  void set_feed(const WebFeed &feed);

  // Listens on address:port (port 0: any free one). Returns an empty text
  // when listening, else what went wrong, for the operator.
  QString start(const QHostAddress &address, quint16 port);
  void stop();
  bool is_listening() const;
  // The port listened on (the real one when 0 was asked for).
  quint16 port() const;
  int client_count() const { return int(clients_.size()); }
  // Messages sent to all clients since the start (one per change sent).
  qint64 messages_sent() const { return messages_sent_; }

signals:
  void clients_changed(int count);
  // Something was sent to every client (tests wait on it).
  void sent();

private:
  struct Screen {
    QString name;
    std::function<QJsonObject()> state;
    bool dirty = false;
  };
  void take_clients();
  void accept(QWebSocket *ws);
  void refuse(QWebSocket *ws, int code, const QString &reason);
  void drop(QWebSocket *ws);
  void schedule();
  void flush();
  void send_all(const QByteArray &message);
  void send(QWebSocket *ws, const QString &text);
  QByteArray snapshot() const;

  std::unique_ptr<WebServer> server_;
  QList<Screen> screens_;
  QList<QPointer<QWebSocket>> clients_;
  QString front_;
  bool front_dirty_ = false;
  WebFeed feed_;
  bool feed_dirty_ = false;
  FrameThrottle frame_;
  qint64 messages_sent_ = 0;
};

// Whether a WebSocket's Origin is the page of the host it asked for: a page
// from anywhere else must not read the screens through a viewer's browser.
bool origin_matches_host(const QString &origin, const QByteArray &host);

// The route name of a packet kind's screen ("points-race", "frame", ...).
QString web_screen_name(PacketKind kind);

// Serves the six race screens' models under their route names.
void watch_screens(BrowserView &view, ScratchModel &scratch, OmniumModel &omnium,
                   PtsraceModel &points_race, SprintModel &sprint, TtModel &time_trial,
                   ReraduScreenModel &frame);
