#include "treedoc/EncodingSink.h"

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
      FCd(iconv_open(encoding.c_str(), IconvNameOf(codePage).c_str())),
      FEncoding(encoding) {
  FBuffer.resize(4 * kPiece + 64);
}

TEncodingSink::~TEncodingSink() {
  if (Valid()) iconv_close(FCd);
}

bool TEncodingSink::Valid() const {
  return FCd != kNoConverter;
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

bool TEncodingSink::Holds(unsigned codePage, const std::string& encoding, std::string_view text) {
  iconv_t cd = iconv_open(encoding.c_str(), IconvNameOf(codePage).c_str());
  if (cd == kNoConverter) return false;
  char* inp = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  std::string buffer(4 * text.size() + 64, '\0');
  char* outp = buffer.data();
  size_t outLeft = buffer.size();
  const bool ok = iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  return ok;
}

}  // namespace zel
