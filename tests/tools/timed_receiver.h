#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QUdpSocket>

// A loopback receiver that notes when each datagram arrived, so a test can
// measure the spacing that a player kept.
class TimedReceiver {
public:
  TimedReceiver() {
    socket_.bind(QHostAddress::LocalHost, 0);
    socket_.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4 << 20);
    clock_.start();
    QObject::connect(&socket_, &QUdpSocket::readyRead, [this] {
      char buf[65536];
      for (;;) {
        const qint64 n = socket_.readDatagram(buf, sizeof buf);
        if (n < 0)
          break;
        datagrams.append(QByteArray(buf, n));
        arrived_ms.append(double(clock_.nsecsElapsed()) / 1e6);
      }
    });
  }
  bool bound() const { return socket_.state() == QAbstractSocket::BoundState; }
  QString error() const { return socket_.errorString(); }
  quint16 port() const { return socket_.localPort(); }
  QString to() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }
  double span_ms() const { return arrived_ms.isEmpty() ? 0 : arrived_ms.last() - arrived_ms.first(); }

  QList<QByteArray> datagrams;
  QList<double> arrived_ms;

private:
  QUdpSocket socket_;
  QElapsedTimer clock_;
};
