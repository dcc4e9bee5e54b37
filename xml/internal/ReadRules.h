#pragma once
// The rules by which a document's tokens become its nodes, followed by both readers: the
// model's builder (TXmlBuilder) and the line maker of the load (TTokenLines). Written once, so
// that the two cannot read broken markup differently: how a tag's text splits into a name,
// attributes and what is left, which closing tags close, which texts and runs join.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/StrUtils.h"
#include "xml/MorXMLTree.h"

namespace zel::xmlread {

// The name of the element a tag's text t opens: up to the first blank of any kind, as one that
// ended it would be trimmed away once the tag is saved and read again.
inline std::string_view TagName(std::string_view t) {
  size_t n = 0;
  while (n < t.size() && !IsBlank(t[n])) ++n;
  return t.substr(0, n);
}

// The XML declaration's name; no closing tag ends it.
inline bool IsDeclarationName(std::string_view name) {
  return name.starts_with('?');
}

// Reads the attributes of the tag text t after its name (TagName(t)): each runs from its name
// to the closing quote of its value (NextTagAttribute) and goes to attribute(name, value).
// Returns what is left, trimmed, to be kept as it stands so that nothing of the tag is lost;
// only the '?' (or '/') that ends the XML declaration goes, as the writer writes its own.
template <typename F>
std::string_view ReadTagAttributes(std::string_view t, std::string_view name, F&& attribute) {
  size_t pos = name.size();
  std::string_view attrName, value;
  while (pos < t.size()) {
    const size_t next = NextTagAttribute(t, pos, attrName, value);
    if (next == std::string_view::npos) break;
    attribute(attrName, value);
    pos = next;
  }
  std::string_view rest = TrimView(t.substr(std::min(pos, t.size())));
  if (IsDeclarationName(name))
    while (!rest.empty() && (rest.back() == '?' || rest.back() == '/' || IsBlank(rest.back())))
      rest.remove_suffix(1);
  return rest;
}

// The XML declaration holds the rest of the document only where a declaration can stand, at
// the document level; inside an element it is an instruction like any other. True for such an
// open tag, with the instruction's text (marked as an instruction's is) in instruction.
bool DeclarationAsInstruction(std::string_view tag, bool atDocument, std::string& instruction);

// Whether a closing tag closes the innermost open element. More closing tags than start tags:
// the extra ones are ignored. Nor does one end the XML declaration: the outline shows what it
// holds and what would follow it on one level, so texts on both sides of its end would read
// back as one once saved.
inline bool ClosesInnermost(bool atDocument, bool innermostIsDeclaration) {
  return !atDocument && !innermostIsDeclaration;
}

// Whether a text (kind) and the element's last text (lastKind, not empty) are one text: two
// plain texts are when the earlier is the element's value, or when nothing but an ignored
// closing tag stood between them. CDATA cannot be joined to other text without changing it.
inline bool JoinsText(uint8_t lastKind, bool lastIsValue, uint8_t kind, bool afterIgnoredClose) {
  return kind == kValueText && lastKind == kValueText && (lastIsValue || afterIgnoredClose);
}

// Whether a run of texts and CDATA sections ends with a text, which a text after it on the
// next line of a save joins when read again. An element kept as it was read never does.
bool RunEndsWithText(std::string_view run);

// Whether a text or run (kind) joins the text or run before it (lastKind) that nothing but a
// closing tag that closes nothing stands between: both touch it with text. A save writes no tag
// there, so the two read back as one run. Two plain texts join as a text, elsewhere.
inline bool JoinsAcrossIgnoredClose(uint8_t lastKind, bool lastRunEndsWithText, uint8_t kind,
                                    std::string_view text) {
  if (lastKind == kValueCData) return false;
  if (kind == kValueRun ? text.starts_with('<') : lastKind != kValueRun) return false;
  return lastKind != kValueRun || lastRunEndsWithText;
}

// Joins a text or run (kind, text) to the one before it, held in run (of lastKind), as
// JoinsAcrossIgnoredClose allows: one run, the earlier and later content marked as a run's
// and a blank between them. Returns whether the joined run ends with a text.
bool JoinRun(std::string& run, uint8_t lastKind, uint8_t kind, std::string_view text);

}  // namespace zel::xmlread
