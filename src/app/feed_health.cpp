#include "feed_health.h"

#include "protocol/text8.h"

#include <QSettings>

#include <algorithm>

namespace {

constexpr int kNamedSenders = 3;
constexpr int kTickMs = 1000;

QString clock_text(const QDateTime &t) { return t.time().toString(QStringLiteral("HH:mm:ss")); }

QString duration_text(qint64 s) {
  if (s < 60)
    return QStringLiteral("%1 s").arg(s);
  if (s < 3600)
    return QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60);
  return QStringLiteral("%1 h %2 min").arg(s / 3600).arg(s % 3600 / 60);
}

// "a", "a and b", "a, b and c".
QString list_text(const QStringList &items) {
  if (items.size() < 2)
    return items.value(0);
  return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
         items.last();
}

QStringList port_names(const QList<quint16> &ports) {
  QStringList out;
  for (quint16 p : ports)
    out.append(QString::number(p));
  return out;
}

QString held_text(const QList<quint16> &held) {
  if (held.size() == 1)
    return QStringLiteral("Port %1 is held by another program").arg(held.first());
  return QStringLiteral("Ports %1 are held by another program").arg(list_text(port_names(held)));
}

// The feed's last sign of life: an accepted datagram or a heartbeat.
QDateTime last_accepted(const FeedFacts &f) {
  QDateTime last = f.last_heartbeat;
  for (const ListenerFeed &l : f.listeners)
    if (l.last.isValid() && (!last.isValid() || l.last > last))
      last = l.last;
  return last;
}

qint64 seconds_between(const QDateTime &from, const QDateTime &to) {
  return std::max<qint64>(0, from.msecsTo(to) / 1000);
}

struct Part {
  FeedLevel level;
  QString text;
};

Part silence_part(const FeedFacts &f, const QDateTime &last) {
  QList<quint16> open;
  for (const ListenerFeed &l : f.listeners)
    if (l.open)
      open.append(l.port);
  if (!last.isValid() && open.isEmpty())
    return {FeedLevel::red, QStringLiteral("Not listening: no port could be opened")};
  if (!last.isValid())
    return {FeedLevel::waiting, QStringLiteral("Waiting for the first datagram on port%1 %2")
                                    .arg(open.size() == 1 ? "" : "s", list_text(port_names(open)))};
  const qint64 silent = seconds_between(last, f.now);
  if (silent < f.thresholds.amber_s)
    return {FeedLevel::ok, QStringLiteral("Receiving")};
  return {silent < f.thresholds.red_s ? FeedLevel::amber : FeedLevel::red,
          QStringLiteral("No data for %1 (last at %2)").arg(duration_text(silent), clock_text(last))};
}

// Senders heard from within the red threshold; the others have stopped.
QString ignored_text(const FeedFacts &f) {
  qint64 total = 0;
  QStringList names;
  int more = 0;
  for (const IgnoredSender &s : f.ignored) {
    if (seconds_between(s.last, f.now) >= f.thresholds.red_s)
      continue;
    total += s.count;
    if (names.size() < kNamedSenders)
      names.append(from_8bit(s.address));
    else
      ++more;
  }
  if (names.isEmpty())
    return {};
  if (more)
    names.append(QStringLiteral("%1 more").arg(more));
  const QString address = from_8bit(f.listening_address);
  return QStringLiteral("Ignoring %1 datagram%2 from %3 (%4)")
      .arg(total)
      .arg(total == 1 ? "" : "s", list_text(names),
           address.isEmpty() ? QStringLiteral("the listening address is empty")
                             : QStringLiteral("listening to ") + address);
}

QString counts_text(const FeedFacts &f) {
  QStringList parts;
  for (const ListenerFeed &l : f.listeners) {
    if (!l.open && l.accepted == 0)
      parts.append(QStringLiteral("%1: closed").arg(l.port));
    else if (l.accepted == 0)
      parts.append(QStringLiteral("%1: none").arg(l.port));
    else
      parts.append(QStringLiteral("%1: %2 (last %3)").arg(l.port).arg(l.accepted).arg(clock_text(l.last)));
  }
  parts.append(f.last_heartbeat.isValid() ? QStringLiteral("heartbeat %1").arg(clock_text(f.last_heartbeat))
                                          : QStringLiteral("no heartbeat"));
  return parts.join(QStringLiteral(", "));
}

int seconds_setting(const QSettings &s, const char *key, int fallback) {
  bool ok = false;
  const int v = s.value(QLatin1String(key)).toString().trimmed().toInt(&ok);
  return ok && v >= 1 ? v : fallback;
}

} // namespace

FeedThresholds load_feed_thresholds(const QString &path) {
  const FeedThresholds defaults;
  const QSettings s(path, QSettings::IniFormat);
  FeedThresholds t;
  t.amber_s = seconds_setting(s, "feed/amber_after_seconds", defaults.amber_s);
  t.red_s = seconds_setting(s, "feed/red_after_seconds", defaults.red_s);
  t.red_s = std::max(t.red_s, t.amber_s);
  return t;
}

FeedState feed_state(const FeedFacts &f) {
  const QDateTime last = last_accepted(f);
  const Part silence = silence_part(f, last);
  FeedState out;
  out.level = silence.level;
  QStringList parts;
  if (!f.held_ports.isEmpty()) {
    parts.append(held_text(f.held_ports));
    out.level = FeedLevel::red;
  }
  // The ignored senders come before the silence: they tell why, and a line
  // too long for the window is cut at its end.
  if (const QString ignored = ignored_text(f); !ignored.isEmpty()) {
    parts.append(ignored);
    // Someone sends, but not the sender listened to: the most common set-up
    // fault, never a sign that all is well.
    if (out.level == FeedLevel::ok || out.level == FeedLevel::waiting)
      out.level = FeedLevel::amber;
  }
  parts.append(silence.text);
  parts.append(counts_text(f));
  out.text = parts.join(QStringLiteral(" \u00B7 "));
  if (silence.level == FeedLevel::red && last.isValid())
    out.badge_s = seconds_between(last, f.now);
  return out;
}

FeedHealth::FeedHealth(Clock clock, QObject *parent) : QObject(parent), clock_(std::move(clock)) {
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &FeedHealth::evaluate);
  evaluate();
}

void FeedHealth::set_listener(int i, quint16 port, bool open) {
  Listener &l = listeners_[i];
  l.port = port;
  l.open = open;
}

void FeedHealth::accepted(int listener, QByteArrayView sender) {
  const qint64 now = clock_();
  const bool was_silent =
      last_accepted_ms_ < 0 || now - last_accepted_ms_ >= qint64(thresholds_.amber_s) * 1000;
  Listener &l = listeners_[std::clamp(listener, 0, kListeners - 1)];
  ++l.accepted;
  l.last_ms = now;
  last_accepted_ms_ = now;
  // A sender now taken is no longer ignored (the address was changed).
  if (!senders_.isEmpty())
    senders_.removeIf([&](const Sender &s) { return s.address == sender; });
  // The end of a silence shows at once; a flowing feed's counts once a second.
  if (was_silent)
    evaluate();
}

void FeedHealth::heartbeat() { last_heartbeat_ms_ = clock_(); }

void FeedHealth::ignored(QByteArrayView sender, QByteArrayView listening_address) {
  listening_address_ = listening_address.toByteArray();
  const qint64 now = clock_();
  const auto it = std::find_if(senders_.begin(), senders_.end(),
                               [&](const Sender &s) { return s.address == sender; });
  Sender s = it == senders_.end() ? Sender{sender.toByteArray(), 0, now} : *it;
  if (it != senders_.end())
    senders_.erase(it);
  ++s.count;
  s.last_ms = now;
  senders_.prepend(std::move(s));
  if (senders_.size() > kMaxSenders)
    senders_.removeLast();
}

FeedFacts FeedHealth::facts() const {
  const auto time_of = [](qint64 ms) { return ms < 0 ? QDateTime() : QDateTime::fromMSecsSinceEpoch(ms); };
  FeedFacts f;
  f.now = QDateTime::fromMSecsSinceEpoch(now_ms_);
  for (const Listener &l : listeners_)
    f.listeners.append({l.port, l.open, l.accepted, time_of(l.last_ms)});
  f.last_heartbeat = time_of(last_heartbeat_ms_);
  for (const Sender &s : senders_)
    f.ignored.append({s.address, s.count, time_of(s.last_ms)});
  f.listening_address = listening_address_;
  f.held_ports = held_ports_;
  f.thresholds = thresholds_;
  return f;
}

void FeedHealth::evaluate() {
  now_ms_ = clock_();
  if (held_probe_)
    held_ports_ = held_probe_();
  FeedState next = feed_state(facts());
  if (next == state_)
    return;
  state_ = std::move(next);
  emit changed();
}
