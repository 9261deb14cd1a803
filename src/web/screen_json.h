#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

class OmniumModel;
class PtsraceModel;
class ReraduScreenModel;
class ScratchModel;
class SprintModel;
class TextGridModel;
class TtModel;

// What a browser is sent of each screen: the same cells, headings, colours,
// read-outs and chooser the window shows, as JSON. These only read the
// models (their accessors are not const, hence the plain references).

// One table: its shape, widths, colours, face and cells (Unicode, as the
// window shows them). Wholly empty rows at the end below the fixed rows are
// left out; "rows" says how many were sent.
QJsonObject table_json(const TextGridModel &table, const QString &id, const QString &title = {});

QJsonObject screen_json(ScratchModel &model);
QJsonObject screen_json(OmniumModel &model);
QJsonObject screen_json(PtsraceModel &model);
QJsonObject screen_json(SprintModel &model);
QJsonObject screen_json(TtModel &model);
QJsonObject screen_json(ReraduScreenModel &model);

// The feed health as the main window's feed line shows it.
struct WebFeed {
  QString level = QStringLiteral("waiting"); // waiting, ok, amber, red
  QString text;
  std::optional<qint64> stale_s; // set while the screens show the NO DATA badge
  friend bool operator==(const WebFeed &, const WebFeed &) = default;
};
QJsonObject feed_json(const WebFeed &feed);

// The messages of /live, as the bytes sent.
QByteArray screen_message(const QJsonObject &screen);
QByteArray front_message(const QString &front);
QByteArray feed_message(const WebFeed &feed);
// front empty: no screen has come forward yet (null).
QByteArray snapshot_message(const QString &front, const WebFeed &feed,
                            const QList<QPair<QString, QJsonObject>> &screens);
