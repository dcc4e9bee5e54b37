#include "editor/XPath.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "base/Exception.h"
#include "base/StrUtils.h"
#include "editor/internal/XPathEval.h"

namespace zel {

namespace {

void WaitFor(pid_t pid, int* status) {
  while (::waitpid(pid, status, 0) < 0 && errno == EINTR) {
  }
}

// The threads that wait for ended queries. Each is joined before the next fork: a thread that
// is ending at the fork may hold an allocator's lock, which the copy would then wait for.
class TReapers {
 public:
  ~TReapers() { JoinAll(); }
  void Add(std::thread thread) {
    const std::lock_guard<std::mutex> hold(FLock);
    FThreads.push_back(std::move(thread));
  }
  void JoinAll() {
    std::vector<std::thread> threads;
    {
      const std::lock_guard<std::mutex> hold(FLock);
      threads.swap(FThreads);
    }
    for (std::thread& t : threads) t.join();
  }

 private:
  std::mutex FLock;
  std::vector<std::thread> FThreads;
};

TReapers& Reapers() {
  static TReapers reapers;
  return reapers;
}

// A process on its way out gives its memory back first, tens of milliseconds a gigabyte: a
// thread waits for it, so that neither a Cancel nor a result waits.
void ReapLater(pid_t pid) {
  if (::waitpid(pid, nullptr, WNOHANG) != 0) return;
  try {
    Reapers().Add(std::thread([pid] { WaitFor(pid, nullptr); }));
  } catch (const std::system_error&) {
    WaitFor(pid, nullptr);
  }
}

}  // namespace

TXPathJob::TXPathJob(const TTreeView& tree, std::string expression, const TXPathOptions& options)
    : FTree(tree), FExpression(std::move(expression)) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0)
    throw Exception(Format("The XPath query cannot start: %s", std::strerror(errno)));
  Reapers().JoinAll();
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child < 0) {
    const int error = errno;
    ::close(fds[0]);
    ::close(fds[1]);
    throw Exception(Format("The XPath query cannot start: %s", std::strerror(error)));
  }
  if (child == 0) {
    // The copy sees the outline as it was at the fork and dies with the editor. Unlike the
    // recovery writer it allocates (the parser does): the allocator is safe after a fork,
    // and the copy does nothing else but this one query, then ends without cleaning up.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(2);
    for (const int sig : {SIGTERM, SIGHUP, SIGINT, SIGPIPE}) ::signal(sig, SIG_DFL);
    ::close(fds[0]);
    // Short of memory, the system ends the query before the editor.
    const int adj = ::open("/proc/self/oom_score_adj", O_WRONLY | O_CLOEXEC);
    if (adj >= 0) {
      [[maybe_unused]] const ssize_t written = ::write(adj, "1000", 4);
      ::close(adj);
    }
    ::_exit(xpath::RunQuery(fds[1], tree, FExpression, options));
  }
  ::close(fds[1]);
  ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
  FChild = child;
  FPipe = fds[0];
}

TXPathJob::~TXPathJob() {
  if (!FDone) Cancel();
}

bool TXPathJob::MessageComplete() const {
  if (FData.size() < xpath::kHeaderSize) return false;
  uint64_t size = 0;
  std::memcpy(&size, FData.data() + 1, sizeof size);
  return FData.size() - xpath::kHeaderSize >= size;
}

void TXPathJob::Reap(TEnd end) {
  if (FPipe >= 0) ::close(FPipe);
  FPipe = -1;
  if (FChild > 0) {
    if (end == TEnd::Kill) ::kill(FChild, SIGKILL);
    if (end == TEnd::Exited)
      WaitFor(FChild, &FStatus);
    else
      ReapLater(FChild);
  }
  FChild = -1;
  FDone = true;
}

bool TXPathJob::Wait(int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  while (!FDone) {
    char buffer[1 << 16];
    const ssize_t n = ::read(FPipe, buffer, sizeof buffer);
    if (n > 0) {
      FData.append(buffer, size_t(n));
      // The whole message: the process is ending (another fork may hold the pipe open).
      if (MessageComplete()) Reap(TEnd::Ending);
      continue;
    }
    if (n == 0) {
      Reap(TEnd::Exited);  // the pipe closes after the process's memory is given back
      break;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      Reap(TEnd::Kill);
      break;
    }
    int wait = -1;
    if (timeoutMs >= 0) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) break;
      wait = int(left.count());
    }
    pollfd fd{FPipe, POLLIN, 0};
    ::poll(&fd, 1, wait);
  }
  return FDone;
}

void TXPathJob::Cancel() {
  if (FDone) return;
  FCancelled = true;
  Reap(TEnd::Kill);
}

TXPathResult TXPathJob::Result() const {
  if (FCancelled) throw Exception("The XPath query was cancelled.");
  if (!FDone) throw Exception("The XPath query has not finished.");
  if (!MessageComplete()) {
    if (WIFSIGNALED(FStatus))
      throw Exception(Format("The XPath query stopped: %s.", strsignal(WTERMSIG(FStatus))));
    throw Exception("The XPath query stopped before it gave a result.");
  }
  const std::string_view payload = std::string_view(FData).substr(xpath::kHeaderSize);
  TXPathResult result;
  switch (FData[0]) {
    case xpath::mkError:
      throw Exception(std::string(payload));
    case xpath::mkValue:
      result.IsNodeSet = false;
      result.Value = payload;
      return result;
    default:
      break;
  }
  // The indexes ascend: one walk finds them all.
  const size_t count = payload.size() / sizeof(uint32_t);
  result.Nodes.reserve(count);
  size_t next = 0;
  uint32_t want = 0;
  const auto load = [&] { std::memcpy(&want, payload.data() + next * sizeof want, sizeof want); };
  if (count > 0) load();
  uint32_t index = 0;
  for (TTreeNode* n = FTree.GetFirstNode(); n && next < count; n = n->GetNext(), ++index) {
    if (index != want) continue;
    result.Nodes.push_back({n, int(index)});
    if (++next < count) load();
  }
  return result;
}

TXPathResult EvaluateXPath(const TTreeView& tree, const std::string& expression,
                           const TXPathOptions& options, const std::function<void()>& pump) {
  constexpr int kPumpMs = 50;
  TXPathJob job(tree, expression, options);
  while (!job.Wait(pump ? kPumpMs : -1)) pump();
  return job.Result();
}

}  // namespace zel
