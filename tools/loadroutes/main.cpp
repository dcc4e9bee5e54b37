// loadroutes [--codepage N] FILE...: loads every file by the one-pass route and by the route
// through the document tree, and reports every file where the outline, the states, the
// progress values or the message differ; also with an Abort at the first pump and at the
// first and a middle progress value. Reads more names from stdin when given "-".

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "platform/CodePage.h"
#include "treedoc/TreeView.h"
#include "treedoc/TreeWalk.h"
#include "treedoc/ZelXMLTree.h"

using namespace zel;

namespace {

// When to call Abort: never, at the n-th pump, or at the n-th progress event.
struct TAbortAt {
  int Pump = 0;
  int Progress = 0;
};

std::string Run(const std::string& file, bool oldRoute, TAbortAt abortAt, size_t* progressCount) {
  TTreeView tree;
  tree.AddChild(nullptr, "previous");  // what a failed load keeps
  TZelXMLTree component;
  component.SetTreeView(&tree);
  TZelXMLTree::UseOldRoute = oldRoute;
  std::string log;
  int pumps = 0, progress = 0;
  component.OnStateChange = [&](TZelXMLTree&, TZelXMLTreeStates s) {
    log += "state ";
    log += ZelXMLTreeStateName(s);
    log += '\n';
  };
  component.OnProgress = [&](TZelXMLTree& c, TZelXMLTreeStates s, uint16_t p) {
    log += "p" + std::to_string(int(s)) + ":" + std::to_string(p) + "\n";
    if (++progress == abortAt.Progress) c.Abort();
  };
  component.OnPump = [&](TZelXMLTree& c) {
    if (++pumps == abortAt.Pump) c.Abort();
  };
  try {
    component.LoadFromFile(file);
  } catch (const Exception& e) {
    log += "error " + e.Message() + "\n";
  } catch (const std::exception& e) {
    log += std::string("std error ") + e.what() + "\n";
  }
  log += component.Cancelled() ? "cancelled\n" : "not cancelled\n";
  WalkInDocumentOrder(tree, [&](const TTreeNode& n, int level) {
    log.append(static_cast<size_t>(level), '\t');
    log += n.Text();
    log += '\n';
    return true;
  });
  if (progressCount) *progressCount = static_cast<size_t>(progress);
  return log;
}

bool Same(const std::string& file, TAbortAt at, const char* what, size_t* progressCount) {
  const std::string a = Run(file, true, at, progressCount);
  const std::string b = Run(file, false, at, nullptr);
  if (a == b) return true;
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  const size_t from = i > 80 ? i - 80 : 0;
  std::printf("DIFF %s (%s) at %zu:\n  old: %s\n  new: %s\n", file.c_str(), what, i,
              a.substr(from, 200).c_str(), b.substr(from, 200).c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--codepage" && i + 1 < argc) {
      SetACPOverride(static_cast<unsigned>(std::atoi(argv[++i])));
    } else if (a == "-") {
      for (std::string line; std::getline(std::cin, line);) files.push_back(line);
    } else {
      files.push_back(a);
    }
  }
  size_t differ = 0, errors = 0;
  for (const std::string& f : files) {
    size_t progress = 0;
    bool same = Same(f, {}, "whole", &progress);
    same = Same(f, {1, 0}, "abort at first pump", nullptr) && same;
    if (progress > 0) {
      same = Same(f, {0, 1}, "abort at first progress", nullptr) && same;
      same = Same(f, {0, int(progress / 2) + 1}, "abort mid progress", nullptr) && same;
    }
    if (!same) ++differ;
    if (Run(f, false, {}, nullptr).find("\nerror ") != std::string::npos) ++errors;
  }
  std::printf("%zu files, %zu differ, %zu load with an error\n", files.size(), differ, errors);
  return differ == 0 ? 0 : 1;
}
