#include "app/EndSignals.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace zel {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int gPipe[2] = {-1, -1};

extern "C" void OnEndSignal(int signal) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  (void)!::write(gPipe[1], &number, 1);  // a full pipe already holds a signal to handle
  errno = saved;
}

void Handle(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int sig : kSignals) ::sigaction(sig, &action, nullptr);
}

}  // namespace

TEndSignals::TEndSignals(std::function<void(int)> onSignal) : FOnSignal(std::move(onSignal)) {
  if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;  // the signals keep their default
  FNotifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
  connect(FNotifier, &QSocketNotifier::activated, this, [this] {
    unsigned char number = 0;
    while (::read(gPipe[0], &number, 1) == 1) FOnSignal(number);
  });
  Handle(OnEndSignal);
}

TEndSignals::~TEndSignals() {
  if (FNotifier == nullptr) return;
  Handle(SIG_DFL);
  delete FNotifier;
  ::close(gPipe[0]);
  ::close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

}  // namespace zel
