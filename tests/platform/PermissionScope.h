#pragma once
// Lets permission bits count for a process that runs as root: the rights to read and write
// through any bits (or the rights given) leave its effective capabilities for the scope's life
// and then come back.
// Without them a file of mode 0000 cannot be read, and a folder of mode 0500 not written.

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zel::test {

class TPermissionScope {
 public:
  static constexpr unsigned kFileBits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
  // Other rights can leave instead: 1u << CAP_CHOWN makes files impossible to give away.
  explicit TPermissionScope(unsigned rights = kFileBits) {
    if (::syscall(SYS_capget, &FHeader, FSaved) != 0) return;
    __user_cap_data_struct lowered[2] = {FSaved[0], FSaved[1]};
    lowered[0].effective &= ~rights;
    FLowered = ::syscall(SYS_capset, &FHeader, lowered) == 0;
  }
  ~TPermissionScope() {
    if (FLowered) ::syscall(SYS_capset, &FHeader, FSaved);
  }
  TPermissionScope(const TPermissionScope&) = delete;
  TPermissionScope& operator=(const TPermissionScope&) = delete;

  // True when the bits hold for this process now: tries to open a file of mode 0000 (access()
  // would answer for root's permitted rights, not its effective ones).
  static bool BitsHold(const char* unreadable) {
    const int fd = ::open(unreadable, O_RDONLY);
    if (fd < 0) return true;
    ::close(fd);
    return false;
  }

 private:
  __user_cap_header_struct FHeader{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct FSaved[2]{};
  bool FLowered = false;
};

}  // namespace zel::test
