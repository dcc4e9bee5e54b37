#include "platform/Profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "base/StrUtils.h"
#include "platform/ProfileText.h"
#include "platform/SafeFile.h"
#include "platform/WindowsDir.h"

namespace zel {

namespace {

std::string ResolveName(const char* fileName) {
  std::string name = fileName != nullptr ? fileName : "";
  if (name.find('/') == std::string::npos) return GetWindowsDirectory() + "/" + name;
  return name;
}

// The whole file, or nothing when it is missing, unreadable or not a regular file (a FIFO or
// a device must not block or feed the editor).
size_t gReads = 0;

std::optional<std::string> ReadWhole(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  ++gReads;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string data;
  data.reserve(static_cast<size_t>(st.st_size));
  char buf[65536];
  while (true) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return data;
}

std::string_view Unquote(std::string_view value) {
  value = TrimView(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return value;
}

DWORD CopyOut(std::string_view text, char* returned, DWORD size) {
  if (returned == nullptr || size == 0) return 0;
  const size_t n = std::min<size_t>(text.size(), size - 1);
  std::memcpy(returned, text.data(), n);
  returned[n] = '\0';
  return static_cast<DWORD>(n);
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

bool ValidNames(const char* section, const char* key, const char* value) {
  if (section == nullptr) return false;
  const std::string_view s = TrimView(section);
  if (s.empty() || HasLineBreak(s) || s.find(']') != std::string_view::npos) return false;
  if (key != nullptr) {
    const std::string_view k = TrimView(key);
    if (k.empty() || HasLineBreak(k) || k.find('=') != std::string_view::npos || k[0] == '[')
      return false;
  }
  return value == nullptr || !HasLineBreak(value);
}

// One change of a batch: a key set, a key erased (no value), a whole section erased (no key),
// or an update worked out from the file.
struct TChange {
  std::string Section;
  std::optional<std::string> Key, Value;
  std::function<void()> Update, Written;
};

// The copy of a file that an update works on: the profile calls on that file go to it.
struct TApplying {
  const std::string& Name;
  TProfileText& Text;
  std::vector<std::function<void()>>* Written;  // where nested updates leave theirs, if kept
};
TApplying* gApplying = nullptr;

TApplying* ApplyingTo(const std::string& name) {
  return gApplying != nullptr && gApplying->Name == name ? gApplying : nullptr;
}

void Apply(const std::string& name, TProfileText& text, const TChange& c,
           std::vector<std::function<void()>>* written = nullptr) {
  if (c.Update) {
    TApplying applying{name, text, written};
    TApplying* const outer = std::exchange(gApplying, &applying);
    struct Restore {
      TApplying* outer;
      ~Restore() { gApplying = outer; }
    } restore{outer};
    c.Update();
    if (written != nullptr && c.Written) written->push_back(c.Written);
  } else if (!c.Key) {
    text.EraseSection(c.Section);
  } else if (!c.Value) {
    text.EraseKey(c.Section, *c.Key);
  } else {
    text.Set(c.Section, *c.Key, *c.Value);
  }
}

std::chrono::milliseconds gLockPatience = kProfileLockPatience;
std::function<void()> gLockWaiting;

// The advisory lock of a settings file: a file of its own beside it, which stays. The settings
// file itself is replaced by a rename, which would leave a lock on it behind with the old
// file; the folder is not the editor's to lock, and any program may hold a lock on it. Where
// the lock file cannot be made (a read-only folder, a symbolic link in its place, a file
// system without locks) there is no lock to take, and the write itself decides.
class TFileLock {
 public:
  explicit TFileLock(const std::string& name) {
    std::string target = name;
    if (char* real = ::realpath(name.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
    target += ".lock";
    FFd = ::open(target.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat st {};
    if (FFd < 0 || ::fstat(FFd, &st) != 0 || !S_ISREG(st.st_mode)) return;
    // Another editor holds it only from its read to its rename; one that stopped half way, or
    // another program, must not freeze this one.
    const auto deadline = std::chrono::steady_clock::now() + gLockPatience;
    auto pause = std::chrono::microseconds(500);
    while (::flock(FFd, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) return;
      if (std::chrono::steady_clock::now() > deadline) {
        FFailed = true;
        return;
      }
      if (gLockWaiting) gLockWaiting();
      std::this_thread::sleep_for(pause);
      pause = std::min(pause * 2, std::chrono::microseconds(10000));
    }
  }
  ~TFileLock() {
    if (FFd >= 0) ::close(FFd);
  }
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

  bool Failed() const { return FFailed; }

 private:
  int FFd = -1;
  bool FFailed = false;
};

bool Refuse(DWORD error) {
  SetLastError(error);
  return false;
}

// Applies the changes to the file as it is now, under its lock, with one replacement.
bool WriteChanges(const std::string& name, const std::vector<TChange>& changes) {
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return Refuse(ERROR_ACCESS_DENIED);
  const TFileLock lock(name);
  if (lock.Failed()) return Refuse(ERROR_LOCK_VIOLATION);
  std::optional<std::string> data = ReadWhole(name);
  if (!data) {
    if (::access(name.c_str(), F_OK) == 0)  // there, but unreadable: never overwrite it blind
      return Refuse(ERROR_ACCESS_DENIED);
    data.emplace();
  }
  TProfileText text(*data);
  std::vector<std::function<void()>> written;
  for (const TChange& c : changes) Apply(name, text, c, &written);
  const std::string bytes = text.Bytes();
  if (bytes != *data) {
    try {
      // The bytes reach the disk before the rename; forcing the rename too would cost a second
      // flush on every save, and losing it only brings back the previous settings.
      errno = 0;
      WriteFileAtomically(name, bytes, false);
    } catch (const std::exception&) {
      return Refuse(errno != 0 ? ErrnoToWinError(errno) : ERROR_ACCESS_DENIED);
    }
  }
  for (const auto& w : written) w();
  return true;
}

// The open batches, innermost last. Everything runs on the user-interface thread.
std::vector<TProfileBatch::TState*> gBatches;

}  // namespace

struct TProfileBatch::TState {
  std::string Name;
  std::optional<TProfileText> Text;  // read at the first read
  std::vector<TChange> Changes;

  TProfileText& View() {
    if (!Text) {
      Text.emplace(ReadWhole(Name).value_or(std::string()));
      for (const TChange& c : Changes) Apply(Name, *Text, c);
    }
    return *Text;
  }
  void Add(TChange change) {
    if (Text) Apply(Name, *Text, change);
    Changes.push_back(std::move(change));
  }
};

namespace {

TProfileBatch::TState* OpenBatch(const std::string& name) {
  for (auto it = gBatches.rbegin(); it != gBatches.rend(); ++it)
    if ((*it)->Name == name) return *it;
  return nullptr;
}

// A change goes to the copy an update works on, to the open batch, or to the file at once.
bool Record(const std::string& name, TChange change) {
  if (TApplying* applying = ApplyingTo(name)) {
    Apply(name, applying->Text, change, applying->Written);
    return true;
  }
  TProfileBatch::TState* batch = OpenBatch(name);
  if (batch == nullptr) return WriteChanges(name, {std::move(change)});
  batch->Add(std::move(change));
  return true;
}

}  // namespace

TProfileBatch::TProfileBatch(const char* fileName) {
  std::string name = ResolveName(fileName);
  if (OpenBatch(name) != nullptr) return;
  FState = std::make_unique<TState>();
  FState->Name = std::move(name);
  gBatches.push_back(FState.get());
}

TProfileBatch::~TProfileBatch() {
  if (FState) std::erase(gBatches, FState.get());
}

bool TProfileBatch::Commit() {
  if (!FState) return true;
  std::erase(gBatches, FState.get());
  if (!FState->Changes.empty() && !WriteChanges(FState->Name, FState->Changes)) return false;
  FState.reset();
  return true;
}

void SetProfileLockWaiting(std::function<void()> waiting) {
  gLockWaiting = std::move(waiting);
}

void SetProfileLockPatience(std::chrono::milliseconds patience) {
  gLockPatience = patience;
}

size_t ProfileFileReads() {
  return gReads;
}

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* def,
                               char* returned, DWORD size, const char* fileName) {
  const std::string_view fallback = TrimView(def != nullptr ? def : "");
  if (section == nullptr || key == nullptr) return CopyOut(fallback, returned, size);
  const std::string name = ResolveName(fileName);
  const std::string_view s = TrimView(section), k = TrimView(key);
  std::optional<std::string_view> value;
  std::optional<TProfileText> own;
  if (const TApplying* applying = ApplyingTo(name)) {
    value = applying->Text.Find(s, k);
  } else if (TProfileBatch::TState* batch = OpenBatch(name)) {
    value = batch->View().Find(s, k);
  } else if (std::optional<std::string> data = ReadWhole(name)) {
    value = own.emplace(*data).Find(s, k);
  }
  return CopyOut(value ? Unquote(*value) : fallback, returned, size);
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
  if (!ValidNames(section, key, value)) return Refuse(ERROR_INVALID_PARAMETER);
  TChange change;
  change.Section = TrimView(section);
  if (key != nullptr) {
    change.Key = std::string(TrimView(key));
    if (value != nullptr) change.Value = value;
  }
  return Record(ResolveName(fileName), std::move(change));
}

bool UpdatePrivateProfile(const char* fileName, std::function<void()> apply,
                          std::function<void()> written) {
  TChange change;
  change.Update = std::move(apply);
  change.Written = std::move(written);
  return Record(ResolveName(fileName), std::move(change));
}

}  // namespace zel
