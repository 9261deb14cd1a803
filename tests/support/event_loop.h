#pragma once

#include <QEventLoop>
#include <QTimer>

// Runs the event loop for ms milliseconds.
inline void spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Runs the event loop until done() or five seconds have passed.
template <typename Done> bool spin_until(Done done) {
  for (int i = 0; i < 1000 && !done(); ++i)
    spin(5);
  return done();
}
