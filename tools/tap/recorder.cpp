#include "tap/recorder.h"

#include "tap/capture.h"

#include <QDateTime>
#include <QFileDevice>

namespace tap {

namespace {
// Large enough for any UDP datagram: the tap keeps what was on the wire,
// even what the screen itself would refuse as too long.
constexpr qint64 read_buffer_size = 65536;
constexpr int kReceiveBufferBytes = 4 << 20;
} // namespace

Recorder::Recorder(RecordOptions options, QObject *parent)
    : QObject(parent), options_(std::move(options)) {
  duration_timer_.setSingleShot(true);
  connect(&duration_timer_, &QTimer::timeout, this, &Recorder::stop);
  connect(&socket_, &QUdpSocket::readyRead, this, &Recorder::drain);
}

bool Recorder::listen(QString *error) {
  if (!socket_.bind(options_.bind, options_.port,
                    QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
    *error = QStringLiteral("cannot listen on %1: %2")
                 .arg(Endpoint{options_.bind, options_.port}.text(), socket_.errorString());
    return false;
  }
  // The default buffer holds only about a hundred full-size datagrams; a
  // results program's burst would be cut.
  socket_.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBufferBytes);
  return true;
}

bool Recorder::begin(QIODevice *out, QString *error) {
  out_ = out;
  const QByteArray started = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8();
  if (!write_line(capture_header()) ||
      !write_line("# recorded on port " + QByteArray::number(port()) + ", started " + started)) {
    *error = QStringLiteral("cannot write the capture: %1").arg(out_->errorString());
    socket_.close();
    return false;
  }
  clock_.start();
  if (options_.max_duration_s > 0)
    duration_timer_.start(int(options_.max_duration_s * 1000));
  return true;
}

void Recorder::stop() {
  if (done_)
    return;
  done_ = true;
  duration_timer_.stop();
  socket_.close();
  QTimer::singleShot(0, this, &Recorder::finished);
}

void Recorder::fail(const QString &message) {
  done_ = true;
  duration_timer_.stop();
  socket_.close();
  emit failed(message);
}

bool Recorder::write_line(const QByteArray &line) {
  const QByteArray bytes = line + '\n';
  if (out_->write(bytes) != bytes.size())
    return false;
  if (auto *file = qobject_cast<QFileDevice *>(out_))
    return file->flush();
  return true;
}

void Recorder::drain() {
  QByteArray buffer(read_buffer_size, Qt::Uninitialized);
  QHostAddress from;
  quint16 from_port = 0;
  // Every waiting datagram must be read, or the socket reports no more.
  while (!done_ && out_) {
    const qint64 n = socket_.readDatagram(buffer.data(), buffer.size(), &from, &from_port);
    if (n < 0)
      return;
    CaptureRecord record;
    record.offset_ms = double(clock_.nsecsElapsed()) / 1e6;
    record.sender = Endpoint{from, from_port}.text();
    record.payload = buffer.first(n);
    if (!write_line(format_record(record))) {
      fail(QStringLiteral("cannot write the capture: %1").arg(out_->errorString()));
      return;
    }
    ++count_;
    if (options_.max_count > 0 && count_ >= options_.max_count) {
      stop();
      return;
    }
  }
}

} // namespace tap
