#include "platform/WaitObject.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "base/StrUtils.h"
#include "platform/Ticks.h"
#include "platform/WinError.h"

namespace zel {

// An eventfd that holds a count while signalled: poll() sees it readable without taking it,
// so the object stays signalled for every waiter until ResetEvent drains it.
TWaitObject::TWaitObject() : FFd(eventfd(0, EFD_NONBLOCK)) {
  if (FFd < 0) throw std::runtime_error("TWaitObject: " + SysErrorMessage(errno));
}

TWaitObject::~TWaitObject() {
  close(FFd);
}

void TWaitObject::SetEvent() {
  const uint64_t one = 1;
  // A full counter is already signalled; nothing else can fail here.
  while (write(FFd, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void TWaitObject::ResetEvent() {
  uint64_t value;
  while (read(FFd, &value, sizeof value) < 0 && errno == EINTR) {
  }
}

bool TWaitObject::IsSignalled() const {
  return WaitForSingleObject(this, 0) == WAIT_OBJECT_0;
}

uint32_t WaitForSingleObject(const TWaitObject* object, uint32_t milliseconds) {
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const uint32_t start = GetTickCount();
  for (;;) {
    int timeout = -1;
    if (milliseconds != INFINITE) {
      const uint32_t elapsed = GetTickCount() - start;
      timeout = elapsed >= milliseconds ? 0 : static_cast<int>(milliseconds - elapsed);
    }
    pollfd pfd{object->Fd(), POLLIN, 0};
    const int rc = poll(&pfd, 1, timeout);
    if (rc > 0) return WAIT_OBJECT_0;
    if (rc == 0) return WAIT_TIMEOUT;
    if (errno != EINTR) {
      SetLastErrorFromErrno();
      return WAIT_FAILED;
    }
  }
}

}  // namespace zel
