#pragma once

#include "toolkit/atomic_file.h"
#include "toolkit/data_folder.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Where the browser view listens, and whether it does.
struct BrowserViewSettings {
  static constexpr quint16 kDefaultPort = 29180;
  bool on = false;
  // All IPv4 interfaces: a tablet on the venue network must reach it.
  QHostAddress address = QHostAddress(QHostAddress::AnyIPv4);
  quint16 port = kDefaultPort;
  friend bool operator==(const BrowserViewSettings &, const BrowserViewSettings &) = default;
};

// "[ADDRESS:]PORT" (an IPv4 address, a port from 1 to 65535) as switched on;
// nothing when the text is not that.
std::optional<BrowserViewSettings> parse_listen_address(const QString &text);

// The file in the data folder that remembers the choice.
inline constexpr QLatin1StringView kBrowserViewFile("browserview.ini");

// Its text and back; a missing or bad value keeps the default (off).
QByteArray browser_view_settings_text(const BrowserViewSettings &settings);
BrowserViewSettings parse_browser_view_settings(const QByteArray &text);
BrowserViewSettings load_browser_view_settings(const DataFolder &folder);
FileSaveResult save_browser_view_settings(const DataFolder &folder, const BrowserViewSettings &settings);

// The addresses to type on a tablet: the one listened on, or for all
// interfaces each of this computer's IPv4 addresses (loopback last).
QStringList browser_urls(const QHostAddress &address, quint16 port,
                         const QList<QHostAddress> &local_addresses);
