#pragma once
// The XML declaration of a decoded file kept with its layout: the load names the code page as
// its encoding, the file another (or none); a save in the file's encoding names that again.

#include <string>
#include <string_view>

#include "treedoc/TrimmedWalk.h"

namespace zel {

class TSourceLayout;
class TTreeView;

// Where the load's text names the encoding of its declaration anew, against the characters
// it was read from; none where both name it alike.
TTextSwap DeclarationSwap(std::string_view text, std::string_view read);

// A declaration written anew for the file: the encoding the load named there goes back to the
// file's own. Any other text as it is.
std::string DeclarationForFile(std::string_view text, const TSourceLayout& layout);

// Whether a file that only its declaration says the encoding of still says it: its first node
// is a declaration naming the encoding as the load showed it, or as the file did (or none,
// where the file named none).
bool NamesItsEncoding(const TTreeView& tree, const TSourceLayout& layout);

}  // namespace zel
