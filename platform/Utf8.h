#pragma once
// UTF-8 to UTF-16 and back. Characters beyond U+FFFF become surrogate pairs; each malformed
// or truncated sequence becomes one U+FFFD, and so does a lone surrogate on the way back.

#include <string>
#include <string_view>

namespace zel {

// Returns false when some sequence was malformed.
bool AppendUtf8AsUtf16(std::string_view text, std::u16string& out);
void AppendUtf16AsUtf8(std::u16string_view text, std::string& out);

}  // namespace zel
