#pragma once
// What a load checks and mends before the text reaches the parser, so that nothing is changed
// or lost silently: NUL characters, characters the code page cannot hold, and the encoding an
// XML declaration names once Unicode text has been converted.

#include <string>
#include <string_view>

namespace zel {

class TStringList;

// Raises EZelXMLTree, naming the position, when the 8-bit file's bytes hold a byte 0.
void CheckEightBitText(const std::string& fileName, std::string_view bytes);

// Raises EZelXMLTree for a line of a UTF-8 file that holds bytes that are not UTF-8.
[[noreturn]] void NotDecodable(const std::string& fileName, size_t lineNumber);

// A file from which no markup came. A blank one (empty, or blanks after a byte-order mark)
// gives the list error "List index out of bounds (0)" of a document without a node; any other
// EZelXMLTree, naming the file and saying that no markup in it is whole (in the encoding its
// mark names, when it has one).
[[noreturn]] void NoMarkup(const std::string& fileName, bool blank, bool unicode);

// One line of Unicode text in the code page. Raises EZelXMLTree, naming the file and the line,
// when the line holds U+0000 or a character the code page cannot hold.
std::string ConvertUnicodeLine(const std::string& fileName, unsigned codePage,
                               std::u16string_view line, size_t lineNumber);

// Makes the XML declaration at the start of the lines name the charset its text is now in:
// its encoding value is replaced, or one is added after the version where the text is not
// UTF-8. Lines without a declaration are left alone.
void SetDeclaredEncoding(TStringList& lines, std::string_view charset);

// The declaration as the reader mended it (the node's text) names the encoding the text was read
// in, or one a later load reads the saved bytes in as they are: else the code page's charset,
// in its place. A broken declaration the line check could not see as naming an encoding may be
// mended into one that does ("encoding=\x02'UTF-7"), and the saved file would then not read back.
// Decoded: the text was decoded (a byte-order mark, a foreign encoding), not read as 8-bit bytes.
// The new text, or "" when the declaration may stay as it is.
std::string DeclarationNamingEncodingRead(const std::string& fileName, std::string_view text,
                                          bool decoded);

}  // namespace zel
