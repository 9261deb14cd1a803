#include "pty_pair.h"

#include "test_env.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair() {
  char name[256] = {};
  if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
    return;
  // Raw, so the line discipline passes every byte (CR, control bytes) as is.
  termios t{};
  tcgetattr(slave_, &t);
  cfmakeraw(&t);
  tcsetattr(slave_, TCSANOW, &t);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  name_ = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair() {
  if (master_ >= 0)
    ::close(master_);
  if (slave_ >= 0)
    ::close(slave_);
}

QByteArray PtyPair::read_bytes(qsizetype n, int timeout_ms) {
  wait_until(
      [&] {
        char buf[4096];
        for (;;) {
          const ssize_t got = ::read(master_, buf, sizeof buf);
          if (got <= 0)
            break;
          received_.append(buf, got);
        }
        return received_.size() >= n;
      },
      timeout_ms);
  return received_;
}
