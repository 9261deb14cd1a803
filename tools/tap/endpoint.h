#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

namespace tap {

// The commentator screen's main port, the default for every verb.
inline constexpr quint16 default_port = 29105;

struct Endpoint {
  QHostAddress address;
  quint16 port = 0;
  // "a.b.c.d:port" or "[v6]:port".
  QString text() const;
};

// Parses a destination: "HOST:PORT", "[IPv6]:PORT", or a HOST alone (the
// default port). HOST is a dotted IPv4 address, a bracketed IPv6 address or a
// name that the resolver knows. nullopt with *error when it is no address.
std::optional<Endpoint> parse_endpoint(const QString &text, QString *error);

// A port number 1-65535 (0 too when allow_zero: "any free port").
std::optional<quint16> parse_port(const QString &text, bool allow_zero, QString *error);

} // namespace tap
