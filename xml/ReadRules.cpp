#include "xml/internal/ReadRules.h"

#include "xml/SectionMarks.h"

namespace zel::xmlread {

bool DeclarationAsInstruction(std::string_view tag, bool atDocument, std::string& instruction) {
  if (atDocument || !tag.starts_with('?')) return false;
  instruction.clear();  // an instruction's text is marked; this one has no line breaks
  AppendMarked(instruction, tag, TSectionMarks::smBreaksAndTabs);
  return true;
}

bool RunEndsWithText(std::string_view run) {
  static constexpr std::string_view kOpen = "<![CDATA[", kClose = "]]>";
  if (run.starts_with('<') && !run.starts_with(kOpen)) return false;
  // A section ends at its first "]]>"; a text holds no '<' and so starts none.
  bool text = false;
  for (size_t i = 0; i < run.size();) {
    if (run.compare(i, kOpen.size(), kOpen) == 0) {
      const size_t e = run.find(kClose, i + kOpen.size());
      if (e == std::string_view::npos) return false;
      i = e + kClose.size();
      text = false;
    } else {
      const size_t next = run.find(kOpen, i);
      i = next == std::string_view::npos ? run.size() : next;
      text = true;
    }
  }
  return text;
}

bool JoinRun(std::string& run, uint8_t lastKind, uint8_t kind, std::string_view text) {
  if (lastKind != kValueRun) {
    std::string marked;
    AppendMarked(marked, run, TSectionMarks::smBreaksAndTabs);
    run = std::move(marked);
  }
  run.push_back(' ');
  if (kind == kValueRun)
    run.append(text);
  else
    AppendMarked(run, text, TSectionMarks::smBreaksAndTabs);
  return kind == kValueText || RunEndsWithText(text);
}

}  // namespace zel::xmlread
