#pragma once

#include <QtGlobal>

#include <chrono>

// Nanoseconds on the steady clock, for spacing and pacing (never the time of
// day). Qt Core only: the packet tap uses it without the toolkit.
inline qint64 steady_ns() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
