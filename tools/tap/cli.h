#pragma once

#include "tap/endpoint.h"
#include "tap/player.h"
#include "tap/recorder.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class QTextStream;

namespace tap {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1; // a file, a capture line or the network failed
inline constexpr int kExitUsage = 2;   // the command line or an address is wrong

enum class Verb { help, version, send, record, play };

struct Command {
  Verb verb = Verb::help;
  Endpoint to{QHostAddress(QHostAddress::LocalHost), default_port};
  RecordOptions record;
  PlayOptions play;
  bool escapes = false;    // send: decode \xHH and \\ in packets and lines
  double interval_ms = 0;  // send: pause between datagrams
  QString file;            // send --file, record, play; "-" is the standard stream
  QList<QByteArray> packets; // send: as typed, byte for byte
};

// Parses the arguments after the program name. They are raw bytes, since a
// packet on the command line is sent exactly as typed.
std::optional<Command> parse_command(const QList<QByteArray> &arguments, QString *error);

QString usage_text();

// Runs one command; messages go to err, a capture written to "-" to stdout.
// Returns the process's exit status.
int run_cli(const QList<QByteArray> &arguments, QTextStream &err);

} // namespace tap
