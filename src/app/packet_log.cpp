#include "packet_log.h"

#include <QSize>

PacketLog::PacketLog(QObject *parent) : QAbstractListModel(parent) {}

bool PacketLog::add_line(const QString &line) {
  if (lines_.size() < kMaxLines) {
    const int row = int(lines_.size());
    beginInsertRows({}, row, row);
    lines_.append(line);
    endInsertRows();
    return false;
  }
  // A full log keeps its 30 rows and every line moves up one: the view only
  // repaints, where a row inserted and a row removed would lay it out again
  // for every datagram.
  lines_.removeFirst();
  lines_.append(line);
  emit dataChanged(index(0), index(int(lines_.size()) - 1),
                   {Qt::DisplayRole, Qt::AccessibleTextRole});
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
