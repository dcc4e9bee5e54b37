#pragma once
// The work of a query's forked process, and what it sends back over its pipe.

#include <cstdint>
#include <string>

#include "editor/XPath.h"

namespace zel::xpath {

// The message: one kind byte, the payload's size (8 bytes, host order), the payload.
enum TMessageKind : char {
  mkNodes = 'N',  // payload: the selected nodes' indexes, 4 bytes each, ascending
  mkValue = 'V',  // payload: the value text
  mkError = 'E',  // payload: the message
};
constexpr size_t kHeaderSize = 1 + sizeof(uint64_t);

// Writes the tree's text, parses it, evaluates the expression and writes the message to fd.
// Returns the exit status for the process: 0 when the message was written whole.
int RunQuery(int fd, const TTreeView& tree, const std::string& expression,
             const TXPathOptions& options) noexcept;

}  // namespace zel::xpath
