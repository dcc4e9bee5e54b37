// The whole load of a document from arbitrary bytes, byte-order marks included. A load ends
// in a tree or in a message; whatever loads, saves, and a second load of the saved file gives
// the same outline again, broken markup included: the load mends it into an outline whose
// save reads back as that outline.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzUtil.h"
#include "base/Exception.h"
#include "outline/TreeView.h"
#include "treedoc/ZelXMLTree.h"

namespace {

// The message of a failed load, or "" when it loaded.
std::string Load(zel::TZelXMLTree& component, const std::string& file) {
  try {
    component.LoadFromFile(file);
    return "";
  } catch (const zel::Exception& e) {
    return e.Message().empty() ? "?" : e.Message();
  }
}

// The save and reload check is on unless ZEL_FUZZ_ROUNDTRIP=0, which leaves only crashes,
// hangs, leaks and sanitizer reports of the load to find.
bool RoundTripChecked() {
  static const bool on = [] {
    const char* v = std::getenv("ZEL_FUZZ_ROUNDTRIP");
    return v == nullptr || std::string(v) != "0";
  }();
  return on;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string input = zelfuzz::ScratchFile("in");
  static const std::string saved = zelfuzz::ScratchFile("saved");
  if (!zelfuzz::WriteFile(input, data, size)) return 0;

  zel::TTreeView tree;
  zel::TZelXMLTree component;
  component.SetTreeView(&tree);
  if (!Load(component, input).empty()) return 0;
  if (!RoundTripChecked()) return 0;
  const std::string first = zelfuzz::OutlineBelowRoot(tree);

  component.SaveToFile(saved);  // a save of what loaded must not fail on a writable folder
  zel::TTreeView again;
  component.SetTreeView(&again);
  if (const std::string failed = Load(component, saved); !failed.empty()) {
    std::fprintf(stderr, "the saved file does not load again: %s\n", failed.c_str());
    std::abort();
  }
  const std::string second = zelfuzz::OutlineBelowRoot(again);
  if (second != first) {
    std::fprintf(stderr, "outline changed by a save and load:\n--- first\n%s--- again\n%s",
                 first.c_str(), second.c_str());
    std::abort();
  }
  return 0;
}
