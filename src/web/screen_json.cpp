#include "screen_json.h"

#include "protocol/text8.h"
#include "screens/omnium_model.h"
#include "screens/ptsrace_model.h"
#include "screens/reradu_screen_model.h"
#include "screens/scratch_model.h"
#include "screens/sprint_model.h"
#include "screens/tt_model.h"
#include "toolkit/text_grid.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace {

// The role names the windows give their tables, as ids: "Left racer's list"
// is "left-racers-list".
QString role_id(const QString &role) {
  QString id;
  bool dash = false;
  for (QChar c : role) {
    if (c == u'\'')
      continue;
    if (c.isLetterOrNumber()) {
      if (dash && !id.isEmpty())
        id += u'-';
      id += c.toLower();
      dash = false;
      continue;
    }
    dash = true;
  }
  return id;
}

QJsonValue text_or_null(const QString &text) {
  return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

int font_px(const QFont &f) {
  if (f.pixelSize() > 0)
    return f.pixelSize();
  // Points at the 96 dots per inch a browser assumes.
  return int(std::lround(f.pointSizeF() * 96.0 / 72.0));
}

QJsonObject font_json(const QFont &f, const QString &family = {}) {
  return {{QStringLiteral("family"), family.isEmpty() ? f.family() : family},
          {QStringLiteral("px"), font_px(f)},
          {QStringLiteral("bold"), f.bold()},
          // 100 is the face's own width; the screens' sans-serif is 75,
          // condensed (0: any).
          {QStringLiteral("stretch"), f.stretch()}};
}

// The last row below the fixed rows holding any text, plus one; at least the
// fixed rows.
int rows_to_send(const TextGridModel &t) {
  const int fixed = std::min(t.fixed_rows(), t.row_count());
  for (int r = t.row_count() - 1; r >= fixed; --r)
    for (int c = 0; c < t.col_count(); ++c)
      if (!t.cell(c, r).isEmpty())
        return r + 1;
  return fixed;
}

struct ScreenFace {
  const char *name;
  const char *caption;
  const char *background;
};

QJsonObject screen_object(const ScreenFace &face, const QJsonArray &tables,
                          const QJsonArray &texts = {},
                          const QJsonValue &chooser = QJsonValue(QJsonValue::Null)) {
  return {{QStringLiteral("name"), QString::fromLatin1(face.name)},
          {QStringLiteral("caption"), QString::fromLatin1(face.caption)},
          {QStringLiteral("background"), QString::fromLatin1(face.background)},
          {QStringLiteral("tables"), tables},
          {QStringLiteral("texts"), texts},
          {QStringLiteral("chooser"), chooser}};
}

QJsonObject text_json(const QString &role, const QString &text) {
  return {{QStringLiteral("role"), role}, {QStringLiteral("text"), text}};
}

QJsonObject named_table(const TextGridModel &t, const QString &role, const QString &title = {}) {
  return table_json(t, role_id(role), title);
}

QJsonValue seconds_or_null(const std::optional<qint64> &s) {
  return s ? QJsonValue(double(*s)) : QJsonValue(QJsonValue::Null);
}

QByteArray compact(const QJsonObject &o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); }

} // namespace

QJsonObject table_json(const TextGridModel &t, const QString &id, const QString &title) {
  const int rows = rows_to_send(t);
  const int cols = t.col_count();
  QJsonArray widths;
  for (int c = 0; c < cols; ++c)
    widths.append(t.col_width(c));
  QJsonArray cells;
  for (int r = 0; r < rows; ++r) {
    QJsonArray row;
    for (int c = 0; c < cols; ++c)
      row.append(from_8bit(t.cell(c, r)));
    cells.append(row);
  }
  const QJsonObject colours{{QStringLiteral("cell"), t.cell_colour().name()},
                            {QStringLiteral("text"), t.text_colour().name()},
                            {QStringLiteral("fixed"), t.fixed_colour().name()}};
  return {{QStringLiteral("id"), id},
          {QStringLiteral("title"), text_or_null(title)},
          {QStringLiteral("rows"), rows},
          {QStringLiteral("cols"), cols},
          {QStringLiteral("fixed_rows"), std::min(t.fixed_rows(), rows)},
          {QStringLiteral("fixed_cols"), std::min(t.fixed_cols(), cols)},
          {QStringLiteral("widths"), widths},
          {QStringLiteral("colours"), colours},
          {QStringLiteral("font"), font_json(t.font())},
          {QStringLiteral("cells"), cells}};
}

QJsonObject screen_json(ScratchModel &m) {
  static constexpr ScreenFace face{"scratch", "Vorevadovid Screen, Scratch / Keiren", "#a6caf0"};
  const QString event = QStringLiteral("Event Info / Metrics");
  const QString competitors = QStringLiteral("Competitors");
  return screen_object(face, {named_table(m.event_table(), event, event),
                              named_table(m.competitor_table(), competitors, competitors)});
}

QJsonObject screen_json(OmniumModel &m) {
  // The results box fills the window: its colour is the screen's.
  static constexpr ScreenFace face{"omnium", "Vorevadovid Screen, Omnium", "#6969e7"};
  const QString results = QStringLiteral("Results");
  return screen_object(face, {named_table(m.results(), results, results)});
}

QJsonObject screen_json(PtsraceModel &m) {
  static constexpr ScreenFace face{"points-race", "ptsrace_commentator_form", "#000080"};
  const QJsonObject chooser{{QStringLiteral("entries"), QJsonArray::fromStringList(m.chooser_entries())},
                            {QStringLiteral("chosen"), m.chosen()}};
  return screen_object(face,
                       {named_table(m.standings(), QStringLiteral("Standings"), QStringLiteral("Standings")),
                        named_table(m.sprint_table(), QStringLiteral("Sprint result"), QStringLiteral("Sprints"))},
                       {}, chooser);
}

QJsonObject screen_json(SprintModel &m) {
  static constexpr ScreenFace face{"sprint", "Vorevadovid Screen, Sprint", "#0000ff"};
  return screen_object(face, {named_table(m.heat_table(), QStringLiteral("Heat"))},
                       {text_json(QStringLiteral("Heat title"), from_8bit(m.title()))});
}

QJsonObject screen_json(TtModel &m) {
  static constexpr ScreenFace face{"time-trial", "TT Vorevadovid Screen", "#000080"};
  using Side = TtModel::Side;
  // Reading order: the left racer's panel, the standings, the right racer's.
  const QJsonArray tables{
      named_table(m.summary(Side::left), QStringLiteral("Left racer")),
      named_table(m.list(Side::left), QStringLiteral("Left racer's list")),
      named_table(m.standings(), QStringLiteral("Standings"), QStringLiteral("Standings")),
      named_table(m.summary(Side::right), QStringLiteral("Right racer")),
      named_table(m.list(Side::right), QStringLiteral("Right racer's list")),
  };
  const QJsonArray texts{
      text_json(QStringLiteral("Left time"), m.time_text(Side::left)),
      text_json(QStringLiteral("Left difference"), m.diff_text(Side::left)),
      text_json(QStringLiteral("Right time"), m.time_text(Side::right)),
      text_json(QStringLiteral("Right difference"), m.diff_text(Side::right)),
  };
  return screen_object(face, tables, texts);
}

QJsonObject screen_json(ReraduScreenModel &m) {
  static constexpr ScreenFace face{"frame", "reradu_commentator_form", "#c0dcc0"};
  // The frame's list, as a one-column table of its eight lines.
  QJsonArray cells;
  for (int i = 0; i < ReraduScreenModel::kLines; ++i)
    cells.append(QJsonArray{i < m.lines().size() ? from_8bit(m.lines()[i]) : QString()});
  const QJsonObject colours{{QStringLiteral("cell"), QStringLiteral("#c0dcc0")},
                            {QStringLiteral("text"), QStringLiteral("#000000")},
                            {QStringLiteral("fixed"), QStringLiteral("#c0dcc0")}};
  const QJsonObject frame{{QStringLiteral("id"), QStringLiteral("frame")},
                          {QStringLiteral("title"), QJsonValue(QJsonValue::Null)},
                          {QStringLiteral("rows"), ReraduScreenModel::kLines},
                          {QStringLiteral("cols"), 1},
                          {QStringLiteral("fixed_rows"), 0},
                          {QStringLiteral("fixed_cols"), 0},
                          {QStringLiteral("widths"), QJsonArray{937}},
                          {QStringLiteral("colours"), colours},
                          {QStringLiteral("font"), QJsonObject{{QStringLiteral("family"), QStringLiteral("monospace")},
                                                               {QStringLiteral("px"), 47},
                                                               {QStringLiteral("bold"), true}}},
                          {QStringLiteral("cells"), cells}};
  return screen_object(face, {frame});
}

QJsonObject feed_json(const WebFeed &feed) {
  return {{QStringLiteral("level"), feed.level},
          {QStringLiteral("text"), feed.text},
          {QStringLiteral("stale_s"), seconds_or_null(feed.stale_s)}};
}

QByteArray screen_message(const QJsonObject &screen) {
  return compact({{QStringLiteral("type"), QStringLiteral("screen")}, {QStringLiteral("screen"), screen}});
}

QByteArray front_message(const QString &front) {
  return compact({{QStringLiteral("type"), QStringLiteral("front")}, {QStringLiteral("front"), front}});
}

QByteArray feed_message(const WebFeed &feed) {
  return compact({{QStringLiteral("type"), QStringLiteral("feed")}, {QStringLiteral("feed"), feed_json(feed)}});
}

QByteArray snapshot_message(const QString &front, const WebFeed &feed,
                            const QList<QPair<QString, QJsonObject>> &screens) {
  QJsonObject all;
  for (const auto &[name, screen] : screens)
    all.insert(name, screen);
  return compact({{QStringLiteral("type"), QStringLiteral("snapshot")},
                  {QStringLiteral("version"), 1},
                  {QStringLiteral("front"), text_or_null(front)},
                  {QStringLiteral("feed"), feed_json(feed)},
                  {QStringLiteral("screens"), all}});
}
