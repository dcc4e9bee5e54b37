#pragma once
// Clean-up that runs on every way out of a scope, also when an exception passes: update mode
// of a tree view or line list, and any closing action.

#include <utility>

namespace zel {

template <typename T>
class TUpdateGuard {
 public:
  explicit TUpdateGuard(T& target) : FTarget(target) { FTarget.BeginUpdate(); }
  ~TUpdateGuard() { FTarget.EndUpdate(); }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

 private:
  T& FTarget;
};

template <typename F>
class TScopeExit {
 public:
  explicit TScopeExit(F action) : FAction(std::move(action)) {}
  ~TScopeExit() { FAction(); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  F FAction;
};

}  // namespace zel
