#pragma once

#include "tap/endpoint.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

class QIODevice;

namespace tap {

struct RecordOptions {
  QHostAddress bind = QHostAddress::AnyIPv4;
  quint16 port = default_port; // 0: any free port (see Recorder::port())
  qint64 max_count = 0;        // stop after this many datagrams; 0: no limit
  double max_duration_s = 0;   // stop after this long; 0: no limit
};

// Listens beside the commentator screen (address reuse, so both can bind the
// port and both hear broadcasts) and writes one capture line per datagram to
// the device, flushed at once so that a killed recorder loses nothing.
class Recorder : public QObject {
  Q_OBJECT
public:
  explicit Recorder(RecordOptions options, QObject *parent = nullptr);

  // Binds the port; false with *error when that fails. Separate from begin()
  // so that a port in use does not cost an existing file its contents.
  bool listen(QString *error);
  // Writes the header to the device (open for writing) and starts the clock;
  // false with *error when the device refuses the header.
  bool begin(QIODevice *out, QString *error);
  // Stops listening; finished() follows.
  void stop();

  quint16 port() const { return socket_.localPort(); }
  qint64 count() const { return count_; }

signals:
  void finished();
  void failed(const QString &message);

private:
  void drain();
  bool write_line(const QByteArray &line);
  void fail(const QString &message);

  QIODevice *out_ = nullptr;
  RecordOptions options_;
  QUdpSocket socket_;
  QElapsedTimer clock_;
  QTimer duration_timer_;
  qint64 count_ = 0;
  bool done_ = false;
};

} // namespace tap
