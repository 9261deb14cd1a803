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

QString PtyPair::line_settings() const {
  termios t{};
  if (tcgetattr(slave_, &t) != 0)
    return QStringLiteral("unreadable");
  int speed = -1;
  switch (cfgetospeed(&t)) {
  case B2400:
    speed = 2400;
    break;
  case B9600:
    speed = 9600;
    break;
  case B19200:
    speed = 19200;
    break;
  case B38400:
    speed = 38400;
    break;
  default:
    break;
  }
  int bits = 0;
  switch (t.c_cflag & CSIZE) {
  case CS5:
    bits = 5;
    break;
  case CS6:
    bits = 6;
    break;
  case CS7:
    bits = 7;
    break;
  case CS8:
    bits = 8;
    break;
  }
  const char parity = !(t.c_cflag & PARENB) ? 'N' : (t.c_cflag & PARODD) ? 'O' : 'E';
  return QStringLiteral("%1 %2%3%4").arg(speed).arg(bits).arg(QChar(parity)).arg(
      (t.c_cflag & CSTOPB) ? 2 : 1);
}
