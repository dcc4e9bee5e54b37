#pragma once
// Checks a file's text must pass before it is loaded: the line list ends text at a NUL
// character, so a file holding one would silently lose the rest.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/Progress.h"

namespace zel {

// 1-based, lines split at CR LF, a lone CR or a lone LF.
struct TTextPosition {
  size_t Line = 1;
  size_t Column = 1;
};

// Where the first byte 0 of an 8-bit file stands, if it holds one. Raises EFOpenError as
// ReadFileBytes does. The progress is asked after each megabyte whether to stop; when it says
// so the search stops and finds nothing.
// The same for bytes in memory.
std::optional<TTextPosition> FindNulByte(std::string_view bytes);

std::optional<TTextPosition> FindNulByte(const std::string& fileName,
                                         const TProgress& progress = {});

}  // namespace zel
