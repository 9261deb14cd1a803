#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair standing in for a serial port: the code under test
// opens the slave by its path, the test reads what arrives on the master.
class PtyPair {
public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair &) = delete;
  PtyPair &operator=(const PtyPair &) = delete;

  bool ok() const { return !name_.isEmpty(); }
  QString slave_name() const { return name_; }
  // Collects what the master has, waiting until n bytes came or time is up;
  // returns everything received so far.
  QByteArray read_bytes(qsizetype n, int timeout_ms = 3000);
  // The line settings the code under test gave the port, read back from the
  // terminal: speed, data bits, parity letter and stop bits, as "9600 8N1".
  QString line_settings() const;

private:
  int master_ = -1;
  int slave_ = -1;
  QString name_;
  QByteArray received_;
};
