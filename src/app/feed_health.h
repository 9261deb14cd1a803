#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

// How long the feed may be silent before the feed line turns amber, then red.
struct FeedThresholds {
  int amber_s = 10;
  int red_s = 60;
  friend bool operator==(const FeedThresholds &, const FeedThresholds &) = default;
};

// The thresholds from a feedhealth.ini (in the data folder); defaults for a
// missing file or a value that is not a whole number of seconds from 1 on.
// Red never comes before amber.
FeedThresholds load_feed_thresholds(const QString &path);

// What one listener took in.
struct ListenerFeed {
  quint16 port = 0;
  bool open = false;
  qint64 accepted = 0;
  QDateTime last; // invalid until its first accepted datagram
};

// A sender whose datagrams the filter drops.
struct IgnoredSender {
  QByteArray address;
  qint64 count = 0;
  QDateTime last;
};

// Everything the feed line is made from, at one moment.
struct FeedFacts {
  QDateTime now;
  QList<ListenerFeed> listeners;
  QDateTime last_heartbeat;     // invalid: none yet
  QList<IgnoredSender> ignored; // most recent first
  QByteArray listening_address; // the one the ignored senders were not
  QList<quint16> held_ports;    // ports another program holds too
  FeedThresholds thresholds;
};

enum class FeedLevel { waiting, ok, amber, red };

struct FeedState {
  FeedLevel level = FeedLevel::waiting;
  QString text;
  // Seconds of silence while the feed is red for silence (the badge).
  std::optional<qint64> badge_s;
  friend bool operator==(const FeedState &, const FeedState &) = default;
};

// The feed line and its level.
FeedState feed_state(const FeedFacts &facts);

// Keeps the feed's counters, reads time through the clock it is given, and
// works out the feed state again once a second and whenever an accepted
// datagram ends a silence. The main window's feed line and the screens'
// badges show what it says.
class FeedHealth final : public QObject {
  Q_OBJECT
public:
  static constexpr int kListeners = 2;
  // Senders kept; the oldest goes first.
  static constexpr int kMaxSenders = 16;

  using Clock = std::function<qint64()>; // milliseconds since the epoch

  explicit FeedHealth(Clock clock, QObject *parent = nullptr);

  void set_thresholds(FeedThresholds t) { thresholds_ = t; }
  FeedThresholds thresholds() const { return thresholds_; }
  void set_listener(int i, quint16 port, bool open);
  // Tells which ports another program holds too (asked once a second).
  void set_held_ports_probe(std::function<QList<quint16>()> probe) { held_probe_ = std::move(probe); }
  void start() { timer_.start(); }

  void accepted(int listener, QByteArrayView sender);
  void heartbeat();
  void ignored(QByteArrayView sender, QByteArrayView listening_address);

  // Reads the clock and works the state out; emits changed() if it differs.
  void evaluate();
  FeedFacts facts() const;
  const FeedState &state() const { return state_; }

signals:
  void changed();

private:
  struct Sender {
    QByteArray address;
    qint64 count = 0;
    qint64 last_ms = 0;
  };
  struct Listener {
    quint16 port = 0;
    bool open = false;
    qint64 accepted = 0;
    qint64 last_ms = -1;
  };

  Clock clock_;
  FeedThresholds thresholds_;
  Listener listeners_[kListeners];
  qint64 last_heartbeat_ms_ = -1;
  qint64 last_accepted_ms_ = -1;
  QList<Sender> senders_; // most recent first
  QByteArray listening_address_;
  QList<quint16> held_ports_;
  std::function<QList<quint16>()> held_probe_;
  qint64 now_ms_ = 0;
  FeedState state_;
  QTimer timer_;
};
