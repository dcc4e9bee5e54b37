#pragma once
// The rule for node texts typed in place: one piece of markup, "<" ... ">", at least three
// characters, nothing around it (no trimming).

#include <string_view>

namespace zel {

bool IsValidNodeText(std::string_view text);
// Throws Exception("Invalid node text \"<text>\"") for a text that breaks the rule.
void CheckNodeText(std::string_view text);

}  // namespace zel
