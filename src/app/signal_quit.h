#pragma once

#include <QObject>

// Turns SIGINT and SIGTERM into a Qt signal on the user-interface thread, so
// they end the program the way "E&xit" does (and commentator.dat is written).
class SignalQuit : public QObject {
  Q_OBJECT
public:
  explicit SignalQuit(QObject *parent = nullptr);
  ~SignalQuit() override;

signals:
  void quit_requested();
};
