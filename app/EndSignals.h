#pragma once
// SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, Ctrl+C) handled in the event loop:
// the handler only writes the signal's number to a pipe, whose reading end a socket notifier
// watches; the window's work (saving what would be lost) runs there, never in the handler.
// One per process.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace zel {

class TEndSignals : public QObject {
 public:
  explicit TEndSignals(std::function<void(int signal)> onSignal);
  ~TEndSignals() override;

 private:
  QSocketNotifier* FNotifier = nullptr;
  std::function<void(int)> FOnSignal;
};

}  // namespace zel
