#pragma once

#include "protocol/dispatcher.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>

// What the RERadu commentator screen shows: the eight lines of the frame the
// typewriter sent. Any view may show it.
class ReraduScreenModel : public QObject {
  Q_OBJECT
public:
  static constexpr int kLines = 8;

  explicit ReraduScreenModel(QObject *parent = nullptr);

  ApplyResult apply_packet(QByteArrayView packet);

  // The lines as received (8-bit), in list order.
  const QList<QByteArray> &lines() const { return lines_; }

signals:
  // A Packet replaced the lines.
  void changed();

private:
  QList<QByteArray> lines_;
};
