#include "tap/cli.h"

#include "tap/capture.h"
#include "toolkit/stop_signals.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace tap {

namespace {

const char kProgram[] = "commentator-tap";

// Walks the arguments; an option's value may follow it or come after "=".
class ArgReader {
public:
  explicit ArgReader(const QList<QByteArray> &args) : args_(args) {}
  bool at_end() const { return pos_ >= args_.size(); }
  QByteArray next() { return args_[pos_++]; }
  std::optional<QString> value_of(const QByteArray &option, const QByteArray &inline_value,
                                  bool has_inline, QString *error) {
    if (has_inline)
      return QString::fromLocal8Bit(inline_value);
    if (at_end()) {
      *error = QStringLiteral("%1 needs a value").arg(QString::fromLatin1(option));
      return std::nullopt;
    }
    return QString::fromLocal8Bit(next());
  }

private:
  const QList<QByteArray> &args_;
  qsizetype pos_ = 0;
};

std::optional<double> parse_positive(const QString &option, const QString &text, QString *error) {
  bool ok = false;
  const double value = text.toDouble(&ok);
  if (!ok || !std::isfinite(value) || value <= 0) {
    *error = QStringLiteral("%1 needs a number above 0, not \"%2\"").arg(option, text);
    return std::nullopt;
  }
  return value;
}

std::optional<qint64> parse_count(const QString &option, const QString &text, QString *error) {
  bool ok = false;
  const qint64 value = text.toLongLong(&ok);
  if (!ok || value <= 0) {
    *error = QStringLiteral("%1 needs a whole number above 0, not \"%2\"").arg(option, text);
    return std::nullopt;
  }
  return value;
}

std::optional<Verb> parse_verb(const QByteArray &word) {
  if (word == "send")
    return Verb::send;
  if (word == "record")
    return Verb::record;
  if (word == "play")
    return Verb::play;
  if (word == "help" || word == "-h" || word == "--help")
    return Verb::help;
  if (word == "--version")
    return Verb::version;
  return std::nullopt;
}

// Applies one option of the verb; false with *error when it is unknown or
// its value is wrong.
bool apply_option(Command &c, ArgReader &reader, const QByteArray &arg, QString *error) {
  const qsizetype eq = arg.indexOf('=');
  const QByteArray name = eq < 0 ? arg : arg.left(eq);
  const QByteArray inline_value = eq < 0 ? QByteArray() : arg.mid(eq + 1);
  const bool has_inline = eq >= 0;
  const QString shown = QString::fromLatin1(name);
  auto value = [&]() { return reader.value_of(name, inline_value, has_inline, error); };
  auto flag_only = [&]() {
    if (has_inline)
      *error = QStringLiteral("%1 takes no value").arg(shown);
    return !has_inline;
  };
  const bool sends = c.verb == Verb::send || c.verb == Verb::play;

  if (name == "--to" && sends) {
    const auto v = value();
    if (!v)
      return false;
    const auto to = parse_endpoint(*v, error);
    if (!to)
      return false;
    c.to = *to;
    return true;
  }
  if (c.verb == Verb::send && name == "--file") {
    const auto v = value();
    if (!v)
      return false;
    c.file = *v;
    return true;
  }
  if (c.verb == Verb::send && (name == "--escapes" || name == "-e")) {
    c.escapes = true;
    return flag_only();
  }
  if (c.verb == Verb::send && name == "--interval") {
    const auto v = value();
    if (!v)
      return false;
    const auto ms = parse_positive(shown, *v, error);
    if (!ms)
      return false;
    c.interval_ms = *ms;
    return true;
  }
  if (c.verb == Verb::record && name == "--port") {
    const auto v = value();
    if (!v)
      return false;
    const auto port = parse_port(*v, true, error);
    if (!port)
      return false;
    c.record.port = *port;
    return true;
  }
  if (c.verb == Verb::record && name == "--count") {
    const auto v = value();
    if (!v)
      return false;
    const auto n = parse_count(shown, *v, error);
    if (!n)
      return false;
    c.record.max_count = *n;
    return true;
  }
  if (c.verb == Verb::record && name == "--duration") {
    const auto v = value();
    if (!v)
      return false;
    const auto s = parse_positive(shown, *v, error);
    if (!s)
      return false;
    c.record.max_duration_s = *s;
    return true;
  }
  if (c.verb == Verb::play && name == "--speed") {
    const auto v = value();
    if (!v)
      return false;
    const auto x = parse_positive(shown, *v, error);
    if (!x)
      return false;
    c.play.speed = *x;
    return true;
  }
  if (c.verb == Verb::play && name == "--loop") {
    c.play.loop = true;
    return flag_only();
  }
  *error = QStringLiteral("unknown option \"%1\"").arg(QString::fromLocal8Bit(name));
  return false;
}

bool check_operands(Command &c, const QList<QByteArray> &operands, QString *error) {
  switch (c.verb) {
  case Verb::send:
    if (!c.file.isEmpty() && !operands.isEmpty()) {
      *error = QStringLiteral("send takes packets or --file, not both");
      return false;
    }
    if (operands.size() == 1 && operands.first() == "-") {
      c.file = QStringLiteral("-");
      return true;
    }
    if (c.file.isEmpty() && operands.isEmpty()) {
      *error = QStringLiteral("send needs a PACKET, --file FILE or - (standard input)");
      return false;
    }
    c.packets = operands;
    return true;
  case Verb::record:
  case Verb::play:
    if (operands.size() != 1) {
      *error = QStringLiteral("%1 needs one FILE").arg(c.verb == Verb::record ? "record" : "play");
      return false;
    }
    c.file = QFile::decodeName(operands.first());
    return true;
  case Verb::help:
  case Verb::version:
    if (!operands.isEmpty()) {
      *error = QStringLiteral("unexpected \"%1\"").arg(QString::fromLocal8Bit(operands.first()));
      return false;
    }
    return true;
  }
  return true;
}

void say(QTextStream &err, const QString &message) {
  err << kProgram << ": " << message << Qt::endl;
}

void pause_ms(double ms) {
  if (ms > 0)
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

QString datagrams(qint64 n) {
  return n == 1 ? QStringLiteral("1 datagram") : QStringLiteral("%1 datagrams").arg(n);
}

// Reads a whole file, or standard input for "-".
std::optional<QByteArray> read_input(const QString &path, QString *error) {
  QFile file;
  const bool ok = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                              : (file.setFileName(path), file.open(QIODevice::ReadOnly));
  if (!ok) {
    *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    return std::nullopt;
  }
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    return std::nullopt;
  }
  return bytes;
}

// One send line to its datagram: a CR before the line end belongs to the
// line end of a file written on Windows.
std::optional<QByteArray> line_to_datagram(QByteArray line, bool escapes, QString *error) {
  if (line.endsWith('\r'))
    line.chop(1);
  if (!escapes)
    return line;
  return unescape_payload(line, error);
}

int send_all(Sender &sender, const QList<QByteArray> &payloads, const Command &c,
             QTextStream &err) {
  qint64 sent = 0;
  for (const QByteArray &payload : payloads) {
    if (sent > 0)
      pause_ms(c.interval_ms);
    QString error;
    if (!sender.send(payload, &error)) {
      say(err, error);
      return kExitFailure;
    }
    ++sent;
  }
  say(err, QStringLiteral("sent %1 to %2").arg(datagrams(sent), sender.destination().text()));
  return kExitOk;
}

// Standard input is sent line by line as it comes, so a technician can type
// packets (or pipe a slow producer) and see each go out.
int send_stdin(Sender &sender, const Command &c, QTextStream &err) {
  char *buffer = nullptr;
  size_t capacity = 0;
  qint64 sent = 0;
  int number = 0;
  int status = kExitOk;
  for (;;) {
    const ssize_t n = ::getline(&buffer, &capacity, stdin);
    if (n < 0)
      break;
    ++number;
    QByteArray line(buffer, n);
    if (line.endsWith('\n'))
      line.chop(1);
    QString error;
    const auto payload = line_to_datagram(line, c.escapes, &error);
    if (!payload) {
      say(err, QStringLiteral("-:%1: %2").arg(number).arg(error));
      status = kExitFailure;
      break;
    }
    if (sent > 0)
      pause_ms(c.interval_ms);
    if (!sender.send(*payload, &error)) {
      say(err, error);
      status = kExitFailure;
      break;
    }
    ++sent;
  }
  std::free(buffer);
  if (status == kExitOk)
    say(err, QStringLiteral("sent %1 to %2").arg(datagrams(sent), sender.destination().text()));
  return status;
}

int run_send(const Command &c, QTextStream &err) {
  Sender sender(c.to);
  if (c.file == QLatin1String("-"))
    return send_stdin(sender, c, err);
  QList<QByteArray> payloads;
  QString error;
  if (c.file.isEmpty()) {
    for (const QByteArray &packet : c.packets) {
      const auto payload = c.escapes ? unescape_payload(packet, &error) : packet;
      if (!payload) {
        say(err, QStringLiteral("packet %1: %2").arg(payloads.size() + 1).arg(error));
        return kExitFailure;
      }
      payloads.append(*payload);
    }
    return send_all(sender, payloads, c, err);
  }
  const auto text = read_input(c.file, &error);
  if (!text) {
    say(err, error);
    return kExitFailure;
  }
  QList<QByteArray> lines = text->split('\n');
  if (!text->isEmpty() && text->endsWith('\n'))
    lines.removeLast(); // the last line end ends a line, it opens none
  if (text->isEmpty())
    lines.clear();
  // The whole file is checked before anything is sent, so a typo on line 40
  // does not leave a screen half updated.
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const auto payload = line_to_datagram(lines[i], c.escapes, &error);
    if (!payload) {
      say(err, QStringLiteral("%1:%2: %3").arg(c.file).arg(i + 1).arg(error));
      return kExitFailure;
    }
    payloads.append(*payload);
  }
  return send_all(sender, payloads, c, err);
}

int run_play(const Command &c, QTextStream &err) {
  QString error;
  const auto text = read_input(c.file, &error);
  if (!text) {
    say(err, error);
    return kExitFailure;
  }
  const CaptureParse capture = parse_capture(*text);
  if (!capture.ok()) {
    say(err, QStringLiteral("%1:%2: %3").arg(c.file).arg(capture.error_line).arg(capture.error));
    return kExitFailure;
  }
  Player player(capture.records, c.to, c.play);
  StopSignals signals_;
  QEventLoop loop;
  int status = kExitOk;
  QObject::connect(&signals_, &StopSignals::stop_requested, &player, &Player::stop);
  QObject::connect(&player, &Player::finished, &loop, &QEventLoop::quit);
  QObject::connect(&player, &Player::failed, &loop, [&](const QString &message) {
    say(err, message);
    status = kExitFailure;
    loop.quit();
  });
  player.start();
  loop.exec();
  if (status == kExitOk)
    say(err, QStringLiteral("played %1 to %2").arg(datagrams(player.sent()), c.to.text()));
  return status;
}

int run_record(const Command &c, QTextStream &err) {
  Recorder recorder(c.record);
  QString error;
  if (!recorder.listen(&error)) {
    say(err, error);
    return kExitFailure;
  }
  QFile out;
  const bool to_stdout = c.file == QLatin1String("-");
  const bool opened = to_stdout ? out.open(stdout, QIODevice::WriteOnly)
                                : (out.setFileName(c.file),
                                   out.open(QIODevice::WriteOnly | QIODevice::Truncate));
  if (!opened) {
    say(err, QStringLiteral("cannot write %1: %2").arg(c.file, out.errorString()));
    return kExitFailure;
  }
  if (!recorder.begin(&out, &error)) {
    say(err, QStringLiteral("cannot write %1: %2").arg(c.file, out.errorString()));
    return kExitFailure;
  }
  say(err, QStringLiteral("recording port %1 to %2 (Ctrl+C stops)").arg(recorder.port()).arg(c.file));
  StopSignals signals_;
  QEventLoop loop;
  int status = kExitOk;
  QObject::connect(&signals_, &StopSignals::stop_requested, &recorder, &Recorder::stop);
  QObject::connect(&recorder, &Recorder::finished, &loop, &QEventLoop::quit);
  QObject::connect(&recorder, &Recorder::failed, &loop, [&](const QString &message) {
    say(err, QStringLiteral("%1: %2").arg(c.file, message));
    status = kExitFailure;
    loop.quit();
  });
  loop.exec();
  if (status == kExitOk)
    say(err, QStringLiteral("recorded %1 to %2").arg(datagrams(recorder.count()), c.file));
  return status;
}

} // namespace

QString usage_text() {
  return QStringLiteral(
      "Usage:\n"
      "  commentator-tap send [--to HOST:PORT] [--escapes] [--interval MS] PACKET...\n"
      "  commentator-tap send [--to HOST:PORT] [--escapes] [--interval MS] --file FILE\n"
      "  commentator-tap send [--to HOST:PORT] [--escapes] [--interval MS] -\n"
      "  commentator-tap record [--port N] [--count N] [--duration S] FILE\n"
      "  commentator-tap play [--to HOST:PORT] [--speed X] [--loop] FILE\n"
      "\n"
      "send    sends each PACKET, or each line of FILE or of standard input (-),\n"
      "        as one datagram, exactly as typed; --escapes decodes \\xHH and \\\\\n"
      "        first; --interval pauses MS milliseconds between datagrams.\n"
      "record  listens on port N (default 29105, beside a running screen) and\n"
      "        writes every datagram with its sender and time to FILE (- for\n"
      "        standard output) until Ctrl+C, N datagrams or S seconds.\n"
      "play    sends the datagrams of a capture FILE (- for standard input) with\n"
      "        their recorded spacing, X times faster; --loop starts over after a\n"
      "        pause of one second (divided by X) until Ctrl+C.\n"
      "\n"
      "HOST:PORT defaults to 127.0.0.1:29105; a HOST alone means port 29105.\n"
      "Exit status: 0 done, 1 a file, a capture line or the network failed,\n"
      "2 a wrong command line or address.\n");
}

std::optional<Command> parse_command(const QList<QByteArray> &arguments, QString *error) {
  if (arguments.isEmpty()) {
    *error = QStringLiteral("no command given (send, record or play)");
    return std::nullopt;
  }
  const auto verb = parse_verb(arguments.first());
  if (!verb) {
    *error = QStringLiteral("unknown command \"%1\" (send, record or play)")
                 .arg(QString::fromLocal8Bit(arguments.first()));
    return std::nullopt;
  }
  Command c;
  c.verb = *verb;
  ArgReader reader(arguments);
  reader.next();
  QList<QByteArray> operands;
  bool options_done = false;
  while (!reader.at_end()) {
    const QByteArray arg = reader.next();
    if (!options_done && arg == "--") {
      options_done = true;
      continue;
    }
    if (!options_done && (arg == "-h" || arg == "--help")) {
      c.verb = Verb::help;
      return c;
    }
    if (!options_done && arg.startsWith('-') && arg != "-") {
      if (!apply_option(c, reader, arg, error))
        return std::nullopt;
      continue;
    }
    operands.append(arg);
  }
  if (!check_operands(c, operands, error))
    return std::nullopt;
  return c;
}

int run_cli(const QList<QByteArray> &arguments, QTextStream &err) {
  QString error;
  const auto command = parse_command(arguments, &error);
  if (!command) {
    say(err, error);
    err << "Try \"" << kProgram << " --help\"." << Qt::endl;
    return kExitUsage;
  }
  switch (command->verb) {
  case Verb::help: {
    QTextStream out(stdout);
    out << usage_text();
    return kExitOk;
  }
  case Verb::version:
    err << kProgram << " " << QCoreApplication::applicationVersion() << Qt::endl;
    return kExitOk;
  case Verb::send:
    return run_send(*command, err);
  case Verb::record:
    return run_record(*command, err);
  case Verb::play:
    return run_play(*command, err);
  }
  return kExitUsage;
}

} // namespace tap
