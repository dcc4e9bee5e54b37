#pragma once
// The text a load parses, from one read of the file: 8-bit text as its bytes are, each line
// ended by CR LF; Unicode text (a byte-order mark says so) and text in an encoding whose bytes
// the 8-bit reader cannot keep, decoded and converted to the code page line by line, trimmed
// where the blanks are no data (SectionLineTrim.h), with the XML declaration naming the code
// page. Every check a load makes on the file runs on these same bytes.

#include <string>
#include <string_view>

#include "base/Exception.h"
#include "base/Progress.h"
#include "treedoc/TrimmedWalk.h"

namespace zel {

class TStringList;

// The file cannot be opened for a load, or another program holds it for writing.
class ELoadFile : public Exception {
 public:
  using Exception::Exception;
};

// The bytes as read, for a load that keeps them; EightBit: the text is these bytes (after a
// UTF-8 byte-order mark) with every line end made CR LF, or read from them as Unicode text is.
// A decoded file whose places are known keeps instead its characters in the code page, its
// line ends, blanks and declaration as read: the file is Mark, then those in Encoding.
struct TReadBytes {
  std::string Bytes;
  bool EightBit = false;
  std::string Encoding, Mark;
  unsigned CodePage = 0;
  TTextSwap Swap;
};

// For a load that reads an 8-bit text's line ends as they are (ReadXmlTokensAsRead): AsRead,
// the text is the bytes, a LF added where they end without a line end (Added), and a kept
// copy of them is left to the caller (Bytes stays empty: the text is they).
struct TLineEndsAsRead {
  bool AsRead = false;
  bool Added = false;
};

// Raises the load's errors: the file cannot be read (ELoadFile), holds a NUL, does not
// decode, holds characters the code page cannot hold (EZelXMLTree). False when the progress
// stopped the read. With kept, a copy of the bytes read goes there.
bool ReadLoadText(const std::string& fileName, const TProgress& progress, std::string& text,
                  bool& isUnicode, TReadBytes* kept = nullptr, TLineEndsAsRead* asRead = nullptr);
// The same for bytes already in memory, given in text and replaced by the text; name stands
// for the file name in the messages.
bool LoadTextOfBytes(const std::string& name, const TProgress& progress, std::string& text,
                     bool& isUnicode, TReadBytes* kept = nullptr,
                     TLineEndsAsRead* asRead = nullptr);

// Decoded lines of a file's bytes: from the encoding, or from the one its byte-order mark
// names when encoding is "".
void DecodeLines(const std::string& fileName, const std::string& encoding, std::string_view bytes,
                 TStringList& lines);

}  // namespace zel
