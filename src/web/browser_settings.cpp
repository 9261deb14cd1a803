#include "browser_settings.h"

#include <QFile>

namespace {

std::optional<quint16> port_of(const QString &text) {
  bool ok = false;
  const uint port = text.trimmed().toUInt(&ok);
  if (!ok || port < 1 || port > 65535)
    return std::nullopt;
  return quint16(port);
}

std::optional<QHostAddress> ipv4_of(const QString &text) {
  QHostAddress a;
  if (!a.setAddress(text.trimmed()) || a.protocol() != QAbstractSocket::IPv4Protocol)
    return std::nullopt;
  return a;
}

QString url_of(const QHostAddress &a, quint16 port) {
  return QStringLiteral("http://%1:%2/").arg(a.toString()).arg(port);
}

} // namespace

std::optional<BrowserViewSettings> parse_listen_address(const QString &text) {
  BrowserViewSettings s;
  s.on = true;
  const qsizetype colon = text.lastIndexOf(u':');
  const auto port = port_of(colon < 0 ? text : text.mid(colon + 1));
  if (!port)
    return std::nullopt;
  s.port = *port;
  if (colon < 0)
    return s;
  const auto address = ipv4_of(text.left(colon));
  if (!address)
    return std::nullopt;
  s.address = *address;
  return s;
}

QByteArray browser_view_settings_text(const BrowserViewSettings &s) {
  QByteArray text = "[browser-view]\r\n";
  text += "on=" + QByteArray(s.on ? "true" : "false") + "\r\n";
  text += "address=" + s.address.toString().toLatin1() + "\r\n";
  text += "port=" + QByteArray::number(s.port) + "\r\n";
  return text;
}

BrowserViewSettings parse_browser_view_settings(const QByteArray &text) {
  BrowserViewSettings s;
  for (const QByteArray &raw : text.split('\n')) {
    const QByteArray line = raw.trimmed();
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
      continue;
    const QByteArray key = line.left(eq).trimmed();
    const QString value = QString::fromLatin1(line.mid(eq + 1).trimmed());
    if (key == "on")
      s.on = value == QLatin1StringView("true");
    else if (key == "address")
      s.address = ipv4_of(value).value_or(s.address);
    else if (key == "port")
      s.port = port_of(value).value_or(s.port);
  }
  return s;
}

BrowserViewSettings load_browser_view_settings(const DataFolder &folder) {
  QFile f(folder.file(kBrowserViewFile));
  // Far more than the file ever holds: a stray big file is not read whole.
  if (!f.open(QIODevice::ReadOnly))
    return {};
  return parse_browser_view_settings(f.read(4096));
}

FileSaveResult save_browser_view_settings(const DataFolder &folder, const BrowserViewSettings &s) {
  return save_file_atomically(folder.file(kBrowserViewFile), browser_view_settings_text(s));
}

QStringList browser_urls(const QHostAddress &address, quint16 port,
                         const QList<QHostAddress> &local_addresses) {
  if (address != QHostAddress(QHostAddress::AnyIPv4) && address != QHostAddress(QHostAddress::Any))
    return {url_of(address, port)};
  QStringList urls;
  QStringList loopback;
  for (const QHostAddress &a : local_addresses) {
    if (a.protocol() != QAbstractSocket::IPv4Protocol)
      continue;
    (a.isLoopback() ? loopback : urls).append(url_of(a, port));
  }
  return urls + loopback;
}
