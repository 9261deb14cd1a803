#include "tap/endpoint.h"

#include <QHostInfo>
#include <QRegularExpression>

#include <algorithm>

namespace tap {

namespace {

bool looks_numeric(const QString &host) {
  static const QRegularExpression digits_and_dots(QStringLiteral("^[0-9.]+$"));
  return digits_and_dots.match(host).hasMatch();
}

// QHostAddress would take "10.1" or "010.0.0.1" in the inet_aton manner;
// a technician means four plain decimal numbers.
std::optional<QHostAddress> dotted_ipv4(const QString &host) {
  static const QRegularExpression quad(
      QStringLiteral("^(0|[1-9][0-9]{0,2})\\.(0|[1-9][0-9]{0,2})\\."
                     "(0|[1-9][0-9]{0,2})\\.(0|[1-9][0-9]{0,2})$"));
  const auto m = quad.match(host);
  if (!m.hasMatch())
    return std::nullopt;
  quint32 value = 0;
  for (int i = 1; i <= 4; ++i) {
    const int part = m.captured(i).toInt();
    if (part > 255)
      return std::nullopt;
    value = value << 8 | quint32(part);
  }
  return QHostAddress(value);
}

std::optional<QHostAddress> resolve(const QString &host, QString *error) {
  if (looks_numeric(host)) {
    auto v4 = dotted_ipv4(host);
    if (!v4)
      *error = QStringLiteral("\"%1\" is not an IPv4 address (four numbers 0-255)").arg(host);
    return v4;
  }
  QHostAddress literal;
  if (literal.setAddress(host))
    return literal;
  const QHostInfo info = QHostInfo::fromName(host);
  const auto addresses = info.addresses();
  if (info.error() != QHostInfo::NoError || addresses.isEmpty()) {
    *error = QStringLiteral("unknown host \"%1\"").arg(host);
    return std::nullopt;
  }
  // The results network is IPv4; prefer it when a name has both.
  for (const QHostAddress &a : addresses) {
    if (a.protocol() == QAbstractSocket::IPv4Protocol)
      return a;
  }
  return addresses.first();
}

} // namespace

QString Endpoint::text() const {
  if (address.protocol() == QAbstractSocket::IPv6Protocol)
    return QStringLiteral("[%1]:%2").arg(address.toString()).arg(port);
  return QStringLiteral("%1:%2").arg(address.toString()).arg(port);
}

std::optional<quint16> parse_port(const QString &text, bool allow_zero, QString *error) {
  bool ok = false;
  const uint value = text.toUInt(&ok, 10);
  const bool digits_only = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
  });
  if (!ok || !digits_only || value > 65535 || (value == 0 && !allow_zero)) {
    *error = QStringLiteral("bad port \"%1\" (a number %2-65535)").arg(text).arg(allow_zero ? 0 : 1);
    return std::nullopt;
  }
  return quint16(value);
}

std::optional<Endpoint> parse_endpoint(const QString &text, QString *error) {
  QString host = text;
  QString port_text;
  if (text.startsWith(QLatin1Char('['))) {
    const qsizetype close = text.indexOf(QLatin1Char(']'));
    if (close < 0) {
      *error = QStringLiteral("bad address \"%1\": missing \"]\"").arg(text);
      return std::nullopt;
    }
    host = text.mid(1, close - 1);
    const QString rest = text.mid(close + 1);
    if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':'))) {
      *error = QStringLiteral("bad address \"%1\": expected \":PORT\" after \"]\"").arg(text);
      return std::nullopt;
    }
    port_text = rest.mid(1);
    if (rest.isEmpty())
      port_text = QString::number(default_port);
  } else if (text.count(QLatin1Char(':')) == 1) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    host = text.left(colon);
    port_text = text.mid(colon + 1);
  } else {
    // No colon (a host alone), or several (a bare IPv6 address).
    port_text = QString::number(default_port);
  }
  if (host.isEmpty()) {
    *error = QStringLiteral("bad address \"%1\": missing host (HOST:PORT)").arg(text);
    return std::nullopt;
  }
  QString why;
  const auto port = parse_port(port_text, false, &why);
  if (!port) {
    *error = QStringLiteral("bad address \"%1\": %2").arg(text, why);
    return std::nullopt;
  }
  const auto address = resolve(host, &why);
  if (!address) {
    *error = QStringLiteral("bad address \"%1\": %2").arg(text, why);
    return std::nullopt;
  }
  return Endpoint{*address, *port};
}

} // namespace tap
