#include "signal_quit.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The self-pipe: a signal handler may only write to a descriptor.
int signal_fds[2] = {-1, -1};

void on_signal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(signal_fds[0], &byte, 1);
}
} // namespace

SignalQuit::SignalQuit(QObject *parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signal_fds) != 0)
    return;
  auto *notifier = new QSocketNotifier(signal_fds[1], QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this] {
    char byte;
    [[maybe_unused]] const ssize_t n = ::read(signal_fds[1], &byte, 1);
    emit quit_requested();
  });
  struct sigaction sa {};
  sa.sa_handler = on_signal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &sa, nullptr);
  ::sigaction(SIGTERM, &sa, nullptr);
}

SignalQuit::~SignalQuit() {
  ::signal(SIGINT, SIG_DFL);
  ::signal(SIGTERM, SIG_DFL);
  for (int &fd : signal_fds) {
    if (fd >= 0)
      ::close(fd);
    fd = -1;
  }
}
