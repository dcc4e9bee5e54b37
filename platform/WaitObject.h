#pragma once
// A waitable object that any thread, or a child process that inherited it, can signal. It stays
// signalled until it is reset, so every waiter sees it.

#include <cstdint>

namespace zel {

constexpr uint32_t INFINITE = 0xFFFFFFFFu;
constexpr uint32_t WAIT_OBJECT_0 = 0;
constexpr uint32_t WAIT_TIMEOUT = 258;
constexpr uint32_t WAIT_FAILED = 0xFFFFFFFFu;

class TWaitObject {
 public:
  TWaitObject();
  ~TWaitObject();
  TWaitObject(const TWaitObject&) = delete;
  TWaitObject& operator=(const TWaitObject&) = delete;

  void SetEvent();
  void ResetEvent();
  bool IsSignalled() const;
  int Fd() const { return FFd; }

 private:
  int FFd;
};

// WAIT_OBJECT_0 when the object is or becomes signalled within the timeout (INFINITE waits for
// ever), WAIT_TIMEOUT when the time ran out, WAIT_FAILED with the last error set otherwise.
uint32_t WaitForSingleObject(const TWaitObject* object, uint32_t milliseconds);

}  // namespace zel
