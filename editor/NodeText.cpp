#include "editor/NodeText.h"

#include <string>

#include "base/Exception.h"

namespace zel {

bool IsValidNodeText(std::string_view text) {
  return text.size() > 2 && text.front() == '<' && text.back() == '>';
}

void CheckNodeText(std::string_view text) {
  if (!IsValidNodeText(text)) throw Exception("Invalid node text \"" + std::string(text) + "\"");
}

}  // namespace zel
