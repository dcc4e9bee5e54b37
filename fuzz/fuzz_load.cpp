// The whole load of a document from arbitrary bytes, byte-order marks included. A load ends
// in a tree or in a message; whatever loads, saves, and a second load of the saved file gives
// the same outline again. Where the XML grammar reads the saved form of broken markup
// otherwise than the broken markup was taken (a value or instruction whose end the save
// moved: see fuzz_wellformed for the rule that wins), the outline must hold from the first
// save on: a second save and load give the same outline as the first.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzUtil.h"
#include "base/Exception.h"
#include "treedoc/TreeView.h"
#include "treedoc/ZelXMLTree.h"

namespace {

bool Load(zel::TZelXMLTree& component, const std::string& file) {
  try {
    component.LoadFromFile(file);
    return true;
  } catch (const zel::Exception&) {
    return false;
  }
}

// The save and reload check is on in the long runs of `make fuzz` and off in the short run of
// `make test` (ZEL_FUZZ_ROUNDTRIP=0): the short run fails on every crash, hang, leak and
// sanitizer report of the load, while the reload check searches broken markup for minutes and
// its findings are kept as seeds and as unit tests.
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
  if (!Load(component, input)) return 0;
  if (!RoundTripChecked()) return 0;
  const std::string first = zelfuzz::OutlineBelowRoot(tree);

  component.SaveToFile(saved);  // a save of what loaded must not fail on a writable folder
  zel::TTreeView again;
  component.SetTreeView(&again);
  if (!Load(component, saved)) {
    std::fprintf(stderr, "the saved file does not load again\n");
    std::abort();
  }
  const std::string second = zelfuzz::OutlineBelowRoot(again);
  if (second == first) return 0;
  component.SaveToFile(saved);
  zel::TTreeView third;
  component.SetTreeView(&third);
  if (!Load(component, saved) || zelfuzz::OutlineBelowRoot(third) != second) {
    std::fprintf(stderr, "outline changed by a save and load:\n--- first\n%s--- again\n%s",
                 first.c_str(), second.c_str());
    std::abort();
  }
  return 0;
}
