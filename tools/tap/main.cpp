#include "tap/cli.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationVersion(QStringLiteral(TAP_VERSION));
  // Raw bytes: a packet typed on the command line is sent byte for byte.
  QList<QByteArray> arguments;
  for (int i = 1; i < argc; ++i)
    arguments.append(QByteArray(argv[i]));
  QTextStream err(stderr);
  return tap::run_cli(arguments, err);
}
