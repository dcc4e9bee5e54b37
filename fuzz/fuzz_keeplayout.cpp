// Keep Layout on any input: the first byte says how many of the next bytes choose the edits,
// the rest is the document, now and then re-encoded. Read and saved with the layout kept, it
// gives its bytes back; after the edits its save holds the data of the indented save; all
// undone, the bytes again.

#include <libxml/parser.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzUtil.h"
#include "platform/CodePage.h"
#include "tests/editor/KeepLayoutCheck.h"

namespace {

void Quiet(void*, const char*, ...) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zel::SetACPOverride(zel::CP_UTF8);
  xmlSetGenericErrorFunc(nullptr, Quiet);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t choices = std::min<size_t>(data[0], size - 1);
  const uint8_t* choice = data + 1;
  size_t at = 0;
  const auto pick = [&](unsigned n) {
    unsigned v = 0;
    for (int i = 0; i < 2 && at < choices; ++i) v = v << 8 | choice[at++];
    return v % n;
  };
  std::string bytes(reinterpret_cast<const char*>(data) + 1 + choices, size - 1 - choices);
  // Now and then the document's UTF-8 in an encoding the reader decodes, under either code page.
  switch (pick(16)) {
    case 0:
      bytes = "\xFF\xFE" + zel::test::Encoded(bytes, "UTF-16LE");
      break;
    case 1:
      bytes = "\xFE\xFF" + zel::test::Encoded(bytes, "UTF-16BE");
      break;
    case 2:
      bytes = zel::test::Encoded(bytes, "IBM037");
      break;
    default:
      break;
  }
  zel::SetACPOverride(pick(4) == 0 ? zel::CP_WINDOWS_1252 : zel::CP_UTF8);
  static const std::string scratch = zelfuzz::ScratchFile("keep-saved");
  const std::string failure =
      zel::test::CheckKeepLayout(bytes, pick, int(std::min<size_t>(choices / 4 + 1, 16)), scratch);
  if (!failure.empty()) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
