#pragma once

#include "toolkit/seams.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <functional>

class RecordingDialogs;
class QUdpSocket;

// A fresh temporary data folder for one test, removed afterwards. The test
// hands folder() to the seams or the file functions; the process's current
// directory is never changed.
class TempDataFolder {
public:
  QString path() const { return dir_.path(); }
  QString file(const QString &name) const { return dir_.filePath(name); }
  DataFolder folder() const { return DataFolder{dir_.path()}; }

private:
  QTemporaryDir dir_;
};

// Seams for tests: recorded boxes, an event pass that runs the real loop once
// (and counts), serial port numbers mapped to whatever the test says, and
// the program's files in data (the current directory when left empty).
Seams test_seams(RecordingDialogs &dialogs, const DataFolder &data = {});

// Sends one datagram to 127.0.0.1:port from a fresh socket; true when sent.
bool send_loopback(quint16 port, const QByteArray &datagram);

// Runs the event loop until pred() holds or timeout_ms passes; returns pred().
bool wait_until(const std::function<bool()> &pred, int timeout_ms = 3000);

// Reads a whole file (empty when it cannot be read).
QByteArray read_file(const QString &path);
// Writes a whole file; true on success.
bool write_file(const QString &path, const QByteArray &bytes);

// SO_BROADCAST of an open socket as the kernel holds it: 1 on, 0 off, -1
// when it cannot be read.
int broadcast_option(const QUdpSocket &socket);

// A UDP receiver on 127.0.0.1 and an ephemeral port, collecting datagrams.
class LoopbackReceiver {
public:
  LoopbackReceiver();
  ~LoopbackReceiver();
  quint16 port() const;
  bool bound() const;
  // Waits until at least n datagrams were received.
  bool wait_for(int n, int timeout_ms = 3000);
  QList<QByteArray> datagrams;

private:
  QUdpSocket *socket_;
};
