#include "packet_log.h"

#include <QSize>

PacketLog::PacketLog(QObject *parent) : QAbstractListModel(parent) {}

void PacketLog::add_line(const QString &line) {
  const int row = int(lines_.size());
  beginInsertRows({}, row, row);
  lines_.append(line);
  endInsertRows();
}

bool PacketLog::trim_log() {
  const int extra = int(lines_.size()) - kMaxLines;
  if (extra <= 0)
    return false;
  beginRemoveRows({}, 0, extra - 1);
  lines_.remove(0, extra);
  endRemoveRows();
  return true;
}

void PacketLog::clear() {
  if (lines_.isEmpty())
    return;
  beginResetModel();
  lines_.clear();
  endResetModel();
}

void PacketLog::set_colours(QColor background, QColor text) {
  background_ = background;
  text_ = text;
  if (!lines_.isEmpty())
    emit dataChanged(index(0), index(int(lines_.size()) - 1));
}

int PacketLog::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(lines_.size());
}

QVariant PacketLog::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= lines_.size())
    return {};
  switch (role) {
  case Qt::DisplayRole:
  case Qt::AccessibleTextRole:
    return lines_.at(index.row());
  case Qt::BackgroundRole:
    return background_;
  case Qt::ForegroundRole:
    return text_;
  case Qt::SizeHintRole:
    // Lines 13 pixels high; a 2500-pixel extent for the horizontal scroll bar.
    return QSize(2500, 13);
  default:
    return {};
  }
}
