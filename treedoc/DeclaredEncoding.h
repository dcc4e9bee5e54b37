#pragma once
// Files without a byte-order mark whose XML declaration names an encoding whose bytes the
// 8-bit reader cannot keep as they are: one that is no superset of ASCII (UTF-16, UTF-32,
// EBCDIC) or one that shifts state (ISO-2022-*, UTF-7, HZ). Such a file is decoded with
// iconv and then converted to the code page as a Unicode file is.

#include <string>
#include <string_view>

namespace zel {

// The encoding the file's bytes (its first ones are enough) must be decoded from, or "" when its
// bytes pass through (no declaration, or one naming an ASCII-compatible encoding or one iconv does
// not know on an ASCII-compatible start). Raises EZelXMLTree for a file whose first bytes are not
// ASCII-compatible and whose declared encoding iconv does not know.
std::string ForeignEncodingOfBytes(const std::string& fileName, std::string_view bytes);

// Decodes bytes from the encoding into out; false (with the line number of the first
// sequence that does not decode in *badLine) when they do not decode.
bool Decode(const std::string& encoding, std::string_view bytes, std::u16string& out,
            size_t* badLine);

// The file's bytes decoded from the encoding. Raises EZelXMLTree naming the encoding and the
// line where a byte sequence does not decode.
std::u16string DecodeForeign(const std::string& fileName, const std::string& encoding,
                             std::string_view bytes);

}  // namespace zel
