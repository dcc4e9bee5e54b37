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
// file's own, or where the file named none and needs one, its encoding. Any other text as it
// is.
std::string DeclarationForFile(std::string_view text, const TSourceLayout& layout);

// The declaration as read, at begin in the layout's bytes, naming the file's encoding where
// the file named none and its first bytes do not tell it (EBCDIC): else once edited, no other
// reader knows it. Any other text as read.
std::string DeclarationAsRead(const TSourceLayout& layout, size_t begin, size_t length);

// Whether a file that only its declaration says the encoding of still says it: its first node
// is a declaration naming the encoding as the load showed it, or as the file did (or none,
// where the file named none and its first bytes tell it).
bool NamesItsEncoding(const TTreeView& tree, const TSourceLayout& layout);

}  // namespace zel
