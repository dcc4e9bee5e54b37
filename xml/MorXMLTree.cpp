#include "xml/MorXMLTree.h"

#include "base/Exception.h"
#include "platform/FileRead.h"
#include "xml/internal/Builder.h"

namespace zel {

TMorXMLTree::TMorXMLTree(std::string_view name, TMorXMLNode* parentNode, std::string_view value)
    : TMorXMLNode(name, parentNode, value), FPools(std::make_unique<TMorXMLPools>()) {
  FIsDocument = true;
}

TMorXMLTree::~TMorXMLTree() {
  // The pools free every node and attribute chunk by chunk; nothing walks the tree.
  Nodes = TMorXMLNodeList();
  Attributes = TMorXMLAttributeList();
}

void TMorXMLTree::BuildFromTokens() {
  TXmlBuilder builder(*this);
  // At least one line is read, so that a document without tokens fails.
  if (Lines.Empty()) throw EListError::OutOfBounds(0);
  for (const std::string& line : Lines.Lines()) {
    TXmlToken kind;
    std::string_view text;
    if (TokenFromLine(line, kind, text)) builder.Token(kind, text);
  }
  builder.Finish();
}

namespace {

// Unwinds the tokenizer when the progress says to stop; never leaves ParseText.
struct TReadStopped {};

}  // namespace

bool TMorXMLTree::ParseText(std::string_view text, const TProgress& progress) {
  Lines.Clear();
  TXmlBuilder builder(*this);
  size_t tokens = 0;
  try {
    Tokenize(text, [&](TXmlToken kind, std::string_view s) {
      if (++tokens % kReadPumpInterval == 0 && progress.Stopped()) throw TReadStopped();
      builder.Token(kind, s);
    });
  } catch (const TReadStopped&) {
    return false;
  }
  builder.Finish();
  if (tokens == 0) throw EListError::OutOfBounds(0);
  return true;
}

bool TMorXMLTree::LoadFromFile(const std::string& fileName, const TProgress& progress) {
  ClearNodes();
  ClearAttributes();
  Lines.Clear();
  std::string text;
  {
    bool stopped = false;
    const auto step = [&] { return stopped = progress.Stopped(); };
    const std::string bytes = ReadFileBytes(fileName, {nullptr, step});
    if (stopped) return false;
    // The text a line list would give back for these bytes: every line ends in CR LF.
    text.reserve(bytes.size() + bytes.size() / 16 + 2);
    size_t lines = 0;
    SplitLines(bytes, [&](std::string_view line) {
      if (stopped) return;
      text.append(line);
      text.append("\r\n");
      if (++lines % kReadPumpInterval == 0) step();
    });
    if (stopped) return false;
  }
  return ParseText(text, progress);
}

void TMorXMLTree::SaveToStream(TStream& stream) {
  Lines.Clear();
  ForEachXMLLine(*this, [this](std::string_view line) { Lines.Add(std::string(line)); });
  Lines.SaveToStream(stream);
}

}  // namespace zel
