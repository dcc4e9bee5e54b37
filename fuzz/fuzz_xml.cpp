// The XML reader and writer on arbitrary text: tokenizing, building and writing the document
// must never crash, hang or leak, and the line emitter must agree with the whole text.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Exception.h"
#include "base/StringList.h"
#include "xml/MorXMLTree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  zel::TMorXMLTree doc;
  try {
    doc.ParseText(text);
  } catch (const zel::Exception&) {
    return 0;  // a failure with a message is a fine answer to bad input
  }
  zel::TStringList whole;
  whole.SetText(doc.GetXMLText());
  int lines = 0;
  zel::ForEachXMLLine(doc, [&](std::string_view line) {
    if (lines >= whole.Count() || whole[lines] != line) std::abort();
    ++lines;
  });
  if (lines != whole.Count() || static_cast<size_t>(lines) != zel::CountXMLLines(doc)) std::abort();
  return 0;
}
