#include "stop_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int pipe_fds[2] = {-1, -1};

extern "C" void on_stop_signal(int signal_number) {
  const unsigned char byte = static_cast<unsigned char>(signal_number);
  [[maybe_unused]] const auto n = ::write(pipe_fds[1], &byte, 1);
}

void set_handler(void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

} // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent) {
  if (::pipe2(pipe_fds, O_CLOEXEC | O_NONBLOCK) != 0)
    return; // without the pipe the signals keep their default: end at once
  notifier_ = new QSocketNotifier(pipe_fds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::read_pipe);
  set_handler(on_stop_signal);
}

StopSignals::~StopSignals() {
  if (!notifier_)
    return;
  set_handler(SIG_DFL);
  delete notifier_;
  ::close(pipe_fds[0]);
  ::close(pipe_fds[1]);
  pipe_fds[0] = pipe_fds[1] = -1;
}

void StopSignals::read_pipe() {
  unsigned char byte = 0;
  while (::read(pipe_fds[0], &byte, 1) == 1)
    emit stop_requested(byte);
}
