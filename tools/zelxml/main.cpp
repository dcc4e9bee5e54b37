// zelxml: the editor's load, edits and save from the command line, for scripts, checks and timing.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "bench/BenchUtil.h"
#include "editor/EditorSession.h"
#include "editor/FindAll.h"
#include "editor/Replace.h"
#include "editor/XPath.h"
#include "outline/TreeView.h"
#include "outline/TreeWalk.h"
#include "platform/BlockAllocator.h"
#include "platform/CodePage.h"
#include "platform/LargePages.h"
#include "tools/zelxml/EditOps.h"

using namespace zel;

namespace {

int Usage() {
  std::fputs(
      "usage: zelxml [--events] [--codepage N] outline FILE\n"
      "       zelxml [--events] [--codepage N] convert [--keep-layout] IN OUT\n"
      "       zelxml [--events] [--codepage N] bench FILE\n"
      "       zelxml [--events] [--codepage N] find [--regex] [--case] [--word] FILE PATTERN\n"
      "       zelxml [--events] [--codepage N] find --xpath FILE EXPRESSION\n"
      "       zelxml [--events] [--codepage N] replace [--regex] [--case] [--word] IN OUT\n"
      "              PATTERN REPLACEMENT\n"
      "       zelxml [--events] [--codepage N] edit [--keep-layout] IN OUT OP...\n"
      "  OP: set N TEXT | add N TEXT | delete N | up N | down N | promote N | demote N |\n"
      "      duplicate N | undo | redo    (N: the node's line in the outline, the root's 0)\n",
      stderr);
  return 2;
}

// The session's feedback on the console: with --events, each stage and percentage on standard
// error. Nothing asks: a question (a file changed between the load and the save of convert)
// goes on as the tool always has, overwriting.
class TConsoleHost : public IEditorHost {
 public:
  explicit TConsoleHost(bool events) : FEvents(events) {}
  int MessageBox(const std::string&, const std::string&, const std::string&,
                 unsigned flags) override {
    return (flags & 0xF) == MB_OK ? IDOK : IDYES;
  }
  bool AskSaveName(std::string&) override { return false; }
  void StateChange(TZelXMLTreeStates state) override {
    if (FEvents) std::fprintf(stderr, "state %s\n", ZelXMLTreeStateName(state));
  }
  void Progress(TZelXMLTreeStates state, uint16_t percent) override {
    if (FEvents) std::fprintf(stderr, "progress %s %u\n", ZelXMLTreeStateName(state), percent);
  }
  void Notice(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }

 private:
  bool FEvents;
};

// Output that cannot be written (a full disk, a closed pipe) is a failure, not success.
void CheckWritten(std::FILE* stream, const char* what) {
  if (std::fflush(stream) != 0 || std::ferror(stream) != 0)
    throw std::runtime_error(std::string("cannot write ") + what + ": " + std::strerror(errno));
}

void PrintOutline(const TTreeView& tree) {
  std::string out;
  const auto flush = [&] {
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size())
      CheckWritten(stdout, "the outline");
    out.clear();
  };
  WalkInDocumentOrder(tree, [&](const TTreeNode& n, int level) {
    out.append(static_cast<size_t>(level), '\t');
    out.append(n.Text());
    out.push_back('\n');
    if (out.size() > (1 << 20)) flush();
    return true;
  });
  flush();
  CheckWritten(stdout, "the outline");
}

int Bench(TEditorSession& session, const std::string& file) {
  using bench::Seconds;
  auto start = bench::Clock::now();
  session.Load(file);
  const double load = Seconds(start);
  const long loadPeak = bench::PeakMB();
  char temp[] = "/tmp/zelxml-bench-XXXXXX";
  const int fd = mkstemp(temp);
  if (fd < 0) {
    std::perror("zelxml: temporary file");
    return 1;
  }
  close(fd);
  start = bench::Clock::now();
  try {
    session.SaveFile(temp);
  } catch (...) {
    unlink(temp);
    throw;
  }
  const double save = Seconds(start);
  unlink(temp);
  std::printf("nodes %d\nload %.3f s\nsave %.3f s\npeak after load %ld MB\npeak %ld MB\n",
              session.Tree().Count(), load, save, loadPeak, bench::PeakMB());
  return 0;
}

// The nodes found, as INDEX, PATH and TEXT.
void PrintFound(const TTreeView& tree, const std::vector<TFoundNode>& found) {
  const std::vector<std::string> paths = NodePaths(tree, found);
  std::string out;
  for (size_t k = 0; k < found.size(); ++k) {
    out.append(std::to_string(found[k].Index)).append(1, '\t').append(paths[k]).append(1, '\t');
    out.append(found[k].Node->Text()).append(1, '\n');
    if (out.size() > (1 << 20)) {
      if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size())
        CheckWritten(stdout, "the matches");
      out.clear();
    }
  }
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size())
    CheckWritten(stdout, "the matches");
  CheckWritten(stdout, "the matches");
}

// The options of find and replace in front of their arguments; false for an unknown one (or
// --xpath where `xpath` is null). `i` ends at the first argument.
bool ReadFindOptions(const std::vector<std::string>& rest, size_t& i, TFindAllOptions& options,
                     bool* xpath = nullptr) {
  for (i = 0; i < rest.size() && rest[i].starts_with("--"); ++i) {
    if (rest[i] == "--regex")
      options.Regex = true;
    else if (rest[i] == "--case")
      options.MatchCase = true;
    else if (rest[i] == "--word")
      options.WholeWord = true;
    else if (rest[i] == "--xpath" && xpath)
      *xpath = true;
    else
      return false;
  }
  return true;
}

// find --xpath: the nodes selected, or the value of a number, string or boolean; 1 for an
// empty node-set, 2 (after a message) for an expression that is not valid or a document that
// is not well-formed.
int FindXPath(TEditorSession& session, const std::string& file, const std::string& expression) {
  session.Load(file);
  TXPathResult result;
  try {
    result = EvaluateXPath(session.Tree(), expression);
  } catch (const Exception& e) {
    std::fprintf(stderr, "zelxml: %s\n", e.Message().c_str());
    return 2;
  }
  if (!result.IsNodeSet) {
    std::printf("%s\n", result.Value.c_str());
    CheckWritten(stdout, "the value");
    return 0;
  }
  PrintFound(session.Tree(), result.Nodes);
  return result.Nodes.empty() ? 1 : 0;
}

// find: each node whose text matches, as INDEX, PATH and TEXT; 1 when none does, 2 (after a
// message) for a pattern that does not compile, -1 for a usage error.
int Find(TEditorSession& session, const std::vector<std::string>& rest) {
  TFindAllOptions options;
  bool xpath = false;
  size_t i = 0;
  if (!ReadFindOptions(rest, i, options, &xpath) || rest.size() - i != 2) return -1;
  if (xpath) {
    // The text options mean nothing to an XPath expression.
    if (options.Regex || options.MatchCase || options.WholeWord) return -1;
    return FindXPath(session, rest[i], rest[i + 1]);
  }
  std::unique_ptr<TNodeTextQuery> query;
  try {
    query = std::make_unique<TNodeTextQuery>(rest[i + 1], options);
  } catch (const Exception& e) {
    std::fprintf(stderr, "zelxml: %s\n", e.Message().c_str());
    return 2;
  }
  session.Load(rest[i]);
  const std::vector<TFoundNode> found = FindAllNodeText(session.Tree(), *query);
  PrintFound(session.Tree(), found);
  return found.empty() ? 1 : 0;
}

// replace: Replace All as the window runs it, one step, then the save as convert does it; the
// counts on standard output. 1 when nothing was replaced (OUT is written all the same), 2 for a
// pattern or replacement that does not compile.
int Replace(TEditorSession& session, const std::vector<std::string>& rest) {
  TFindAllOptions options;
  size_t i = 0;
  if (!ReadFindOptions(rest, i, options) || rest.size() - i != 4) return -1;
  std::unique_ptr<TTextReplacer> replacer;
  try {
    replacer = std::make_unique<TTextReplacer>(rest[i + 2], rest[i + 3], options);
  } catch (const Exception& e) {
    std::fprintf(stderr, "zelxml: %s\n", e.Message().c_str());
    return 2;
  }
  session.Load(rest[i]);
  TReplacePlan plan = PlanReplaceAll(session.Tree(), *replacer);
  const size_t nodes = plan.Changes.size();
  session.Document().SetTexts(std::move(plan.Changes), "Replace All");
  session.SaveFile(rest[i + 1]);
  std::printf("replacements %zu nodes %zu skipped %zu\n", plan.Replacements, nodes, plan.Skipped);
  CheckWritten(stdout, "the count");
  return nodes == 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  UseLargePages(argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  bool events = false;
  size_t i = 0;
  for (; i < args.size(); ++i) {
    if (args[i] == "--events") {
      events = true;
    } else if (args[i] == "--codepage" && i + 1 < args.size()) {
      char* end = nullptr;
      const unsigned long cp = std::strtoul(args[++i].c_str(), &end, 10);
      if (end == nullptr || *end != '\0' || cp == 0 || cp > 65535) return Usage();
      SetACPOverride(static_cast<unsigned>(cp));
    } else {
      break;
    }
  }
  if (i >= args.size()) return Usage();
  const std::string command = args[i++];
  // Unchanged nodes are written as they were read.
  const bool keepLayout =
      (command == "convert" || command == "edit") && i < args.size() && args[i] == "--keep-layout";
  if (keepLayout) ++i;
  const std::vector<std::string> rest(args.begin() + static_cast<long>(i), args.end());

  const TBlockReserveHold oneShot;  // a run of the tool keeps no memory for later edits
  TConsoleHost host(events);
  TEditorSession session(host);
  session.SetKeepLayout(keepLayout);
  try {
    int result = -1;
    if (command == "outline" && rest.size() == 1) {
      session.Load(rest[0]);
      PrintOutline(session.Tree());
      result = 0;
    } else if (command == "convert" && rest.size() == 2) {
      session.Load(rest[0]);
      session.SaveFile(rest[1]);
      result = 0;
    } else if (command == "edit" && rest.size() >= 3) {
      // Every op is read before the load and run before the save: a failing one writes nothing.
      const auto ops = ParseEditOps({rest.begin() + 2, rest.end()});
      session.Load(rest[0]);
      RunEditOps(session, ops);
      session.SaveFile(rest[1]);
      result = 0;
    } else if (command == "bench" && rest.size() == 1) {
      result = Bench(session, rest[0]);
    } else if (command == "find") {
      result = Find(session, rest);
    } else if (command == "replace") {
      result = Replace(session, rest);
    }
    if (events) CheckWritten(stderr, "the events");
    if (result >= 0) return result;
  } catch (const Exception& e) {
    std::fprintf(stderr, "zelxml: %s\n", e.Message().c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zelxml: %s\n", e.what());
    return 1;
  }
  return Usage();
}
