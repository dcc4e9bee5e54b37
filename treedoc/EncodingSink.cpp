#include "treedoc/EncodingSink.h"

#include <algorithm>
#include <cerrno>

#include "base/StrUtils.h"
#include "platform/CodePage.h"
#include "treedoc/ZelXMLTree.h"

namespace zel {

namespace {

constexpr size_t kPiece = size_t{1} << 16;
// NOLINTNEXTLINE(performance-no-int-to-ptr): iconv's own failure value
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

TEncodingSink::TEncodingSink(TTextSink& out, unsigned codePage, const std::string& encoding)
    : FOut(out),
      FCodePage(codePage),
      FCd(iconv_open(encoding.c_str(), IconvNameOf(codePage).c_str())),
      FCheck(iconv_open(encoding.c_str(), IconvNameOf(codePage).c_str())),
      FUnicode(UpperCase(encoding).starts_with("UTF-")),
      FEncoding(encoding) {
  FBuffer.resize(4 * kPiece + 64);
}

TEncodingSink::~TEncodingSink() {
  if (FCd != kNoConverter) iconv_close(FCd);
  if (FCheck != kNoConverter) iconv_close(FCheck);
}

bool TEncodingSink::Valid() const {
  return FCd != kNoConverter && FCheck != kNoConverter;
}

void TEncodingSink::Write(std::string_view text) {
  while (!text.empty()) {
    const size_t n = std::min(text.size(), kPiece);
    FIn.append(text.substr(0, n));
    text.remove_prefix(n);
    if (FIn.size() >= kPiece) Convert(false);
  }
}

void TEncodingSink::WriteRepeated(char c, size_t count) {
  while (count > 0) {
    const size_t n = std::min(count, kPiece);
    FIn.append(n, c);
    count -= n;
    if (FIn.size() >= kPiece) Convert(false);
  }
}

void TEncodingSink::Finish() {
  Convert(true);
  char* outp = FBuffer.data();
  size_t outLeft = FBuffer.size();
  iconv(FCd, nullptr, nullptr, &outp, &outLeft);
  FOut.Write(std::string_view(FBuffer.data(), FBuffer.size() - outLeft));
}

void TEncodingSink::Convert(bool last) {
  char* inp = FIn.data();
  size_t inLeft = FIn.size();
  while (inLeft > 0) {
    char* outp = FBuffer.data();
    size_t outLeft = FBuffer.size();
    const size_t rc = iconv(FCd, &inp, &inLeft, &outp, &outLeft);
    const int err = errno;
    FOut.Write(std::string_view(FBuffer.data(), FBuffer.size() - outLeft));
    if (rc != static_cast<size_t>(-1)) break;
    if (err == E2BIG) continue;
    // A character cut at the piece's end waits for the rest of it.
    if (err == EINVAL && !last) break;
    Unconvertible();
  }
  FIn.erase(0, FIn.size() - inLeft);
}

void TEncodingSink::Unconvertible() const {
  std::string node(FNode.substr(0, 60));
  if (node.size() < FNode.size()) node += "...";
  throw EZelXMLTree(
      Format("\"%s\" holds a character that the file's encoding %s cannot hold, "
             "so the file was not saved.",
             node.c_str(), FEncoding.c_str()));
}

bool TEncodingSink::Holds(std::string_view character) {
  iconv(FCheck, nullptr, nullptr, nullptr, nullptr);
  char* inp = const_cast<char*>(character.data());
  size_t inLeft = character.size();
  char out[64];
  char* outp = out;
  size_t outLeft = sizeof out;
  return iconv(FCheck, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1);
}

std::string TEncodingSink::Fitted(std::string_view text) {
  // Every encoding a file is decoded from holds ASCII.
  if (FUnicode || std::all_of(text.begin(), text.end(),
                              [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(text);
  // Where a reference may stand: text, and attribute values inside a tag.
  const bool markup = text.starts_with('<');
  const bool section = text.starts_with("<!") || text.starts_with("<?");
  bool inTag = markup, refs = !markup;
  char quote = 0;
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t n = 1;
    if (c >= 0x80 && FCodePage == CP_UTF8)
      while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
    const std::string_view ch = text.substr(i, n);
    i += n;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      if (section) continue;
      if (inTag && quote == 0 && (c == '"' || c == '\'')) {
        quote = static_cast<char>(c);
      } else if (inTag && c == static_cast<unsigned char>(quote)) {
        quote = 0;
      } else if (inTag && quote == 0 && c == '>') {
        inTag = false;
      } else if (!inTag && markup && c == '<') {
        inTag = true;
      }
      refs = !markup || !inTag || quote != 0;
      continue;
    }
    if (Holds(ch)) {
      out.append(ch);
      continue;
    }
    if (section || !refs) {
      SetNode(text);
      Unconvertible();
    }
    const std::u16string wide = MultiByteToWide(FCodePage, ch);
    char32_t code = wide.empty() ? 0xFFFD : wide[0];
    if (wide.size() == 2 && code >= 0xD800 && code < 0xDC00)
      code = 0x10000 + ((code - 0xD800) << 10) + (wide[1] - 0xDC00);
    out += "&#" + std::to_string(static_cast<uint32_t>(code)) + ";";
  }
  return out;
}

}  // namespace zel
