#include "test_env.h"

#include "recording_dialogs.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QUdpSocket>

#include <sys/socket.h>

Seams test_seams(RecordingDialogs &dialogs, const DataFolder &data) {
  Seams s;
  s.dialogs = &dialogs;
  s.process_events = [] { QCoreApplication::processEvents(); };
  s.serial_device = default_serial_device;
  s.now_ms = wall_clock_ms;
  s.data_folder = data;
  return s;
}

bool send_loopback(quint16 port, const QByteArray &datagram) {
  QUdpSocket s;
  return s.writeDatagram(datagram, QHostAddress::LocalHost, port) == datagram.size();
}

bool wait_until(const std::function<bool()> &pred, int timeout_ms) {
  QDeadlineTimer deadline(timeout_ms);
  while (!pred()) {
    if (deadline.hasExpired())
      return false;
    QEventLoop loop;
    QTimer::singleShot(1, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

QByteArray read_file(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    return {};
  return f.readAll();
}

bool write_file(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

int broadcast_option(const QUdpSocket &socket) {
  int on = 0;
  socklen_t size = sizeof on;
  if (socket.socketDescriptor() < 0 ||
      getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_BROADCAST, &on, &size) != 0)
    return -1;
  return on ? 1 : 0;
}

LoopbackReceiver::LoopbackReceiver() : socket_(new QUdpSocket) {
  socket_->bind(QHostAddress::LocalHost, 0);
  QObject::connect(socket_, &QUdpSocket::readyRead, [this] {
    char buf[65536];
    for (;;) {
      const qint64 n = socket_->readDatagram(buf, sizeof buf);
      if (n < 0)
        break;
      datagrams.append(QByteArray(buf, n));
    }
  });
}

LoopbackReceiver::~LoopbackReceiver() { delete socket_; }

quint16 LoopbackReceiver::port() const { return socket_->localPort(); }

bool LoopbackReceiver::bound() const { return socket_->state() == QAbstractSocket::BoundState; }

bool LoopbackReceiver::wait_for(int n, int timeout_ms) {
  return wait_until([&] { return datagrams.size() >= n; }, timeout_ms);
}
