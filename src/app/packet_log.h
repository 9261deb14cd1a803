#pragma once

#include <QAbstractListModel>
#include <QColor>
#include <QStringList>

// The main window's packet log: lines added at the end, the oldest dropped
// beyond the newest 30 (trim_log).
class PacketLog : public QAbstractListModel {
  Q_OBJECT
public:
  static constexpr int kMaxLines = 30;

  explicit PacketLog(QObject *parent = nullptr);

  // Adds a line at the end and keeps the newest 30; true when the oldest
  // line was dropped (the view then scrolls to the newest line).
  bool add_line(const QString &line);
  void clear();

  const QStringList &lines() const { return lines_; }
  void set_colours(QColor background, QColor text);

  int rowCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;

private:
  QStringList lines_;
  QColor background_ = Qt::black;
  QColor text_ = Qt::white;
};
