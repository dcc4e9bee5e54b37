#include "treedoc/LoadChecks.h"

#include "base/Exception.h"
#include "base/StrUtils.h"
#include "base/StringList.h"
#include "fileio/TextChecks.h"
#include "platform/CodePage.h"
#include "treedoc/DeclaredEncoding.h"
#include "treedoc/ZelXMLTree.h"
#include "xml/MorXMLTree.h"

namespace zel {

namespace {

constexpr std::string_view kDeclarationStart = "<?xml";
constexpr std::string_view kDeclarationEnd = "?>";

[[noreturn]] void NulFound(const std::string& fileName, size_t line, size_t column) {
  throw EZelXMLTree(
      Format("The file \"%s\" holds a NUL character at line %zu, column %zu: "
             "it is not a text file.",
             fileName.c_str(), line, column));
}

}  // namespace

void CheckEightBitText(const std::string& fileName, std::string_view bytes) {
  if (const auto pos = FindNulByte(bytes)) NulFound(fileName, pos->Line, pos->Column);
}

[[noreturn]] void NotDecodable(const std::string& fileName, size_t lineNumber) {
  throw EZelXMLTree(
      Format("The file \"%s\" is marked as UTF-8 but holds bytes at line %zu that are not "
             "UTF-8; saving would turn them into other characters.",
             fileName.c_str(), lineNumber));
}

void NoMarkup(const std::string& fileName, bool blank, bool unicode) {
  if (blank) throw EListError::OutOfBounds(0);
  throw EZelXMLTree(Format(unicode
                               ? "The file \"%s\" begins with a Unicode byte-order mark, but "
                                 "no tag, comment or instruction in that encoding is whole in it."
                               : "The file \"%s\" holds no XML markup: no tag, comment or "
                                 "instruction in it is whole.",
                           fileName.c_str()));
}

std::string ConvertUnicodeLine(const std::string& fileName, unsigned codePage,
                               std::u16string_view line, size_t lineNumber) {
  const size_t nul = line.find(u'\0');
  if (nul != std::u16string_view::npos) NulFound(fileName, lineNumber, nul + 1);
  bool lossy = false;
  std::string out = WideToMultiByte(codePage, line, &lossy);
  if (lossy)
    throw EZelXMLTree(
        Format("The file \"%s\" holds characters at line %zu that the system code "
               "page %u (%s) cannot hold; saving would turn them into \"?\".",
               fileName.c_str(), lineNumber, codePage, CharsetNameOf(codePage).c_str()));
  return out;
}

void SetDeclaredEncoding(TStringList& lines, std::string_view charset) {
  if (lines.Empty()) return;
  const std::string& first = lines[0];
  if (!StartsWith(first, kDeclarationStart)) return;
  if (first.size() > kDeclarationStart.size() && !IsBlank(first[kDeclarationStart.size()]) &&
      first[kDeclarationStart.size()] != '?')
    return;  // "<?xml-stylesheet" and the like
  // A declaration may run over several lines; it ends at the first "?>".
  int versionLine = -1;
  size_t versionEnd = 0;
  for (int i = 0; i < lines.Count(); ++i) {
    std::string& line = lines[i];
    const size_t close = line.find(kDeclarationEnd);
    const std::string_view text = std::string_view(line).substr(0, close);
    size_t begin = 0, end = 0;
    if (FindPseudoAttribute(text, "encoding", begin, end)) {
      line.replace(begin, end - begin, charset);
      return;
    }
    if (versionLine < 0 && FindPseudoAttribute(text, "version", begin, end)) {
      versionLine = i;
      versionEnd = end + 1;
    }
    if (close != std::string::npos) break;
  }
  // Without a name the text counts as UTF-8.
  if (versionLine >= 0 && charset != "UTF-8")
    lines[versionLine].insert(versionEnd, " encoding=\"" + std::string(charset) + "\"");
}

std::string DeclarationNamingEncodingRead(const std::string& fileName, std::string_view text,
                                          bool decoded) {
  if (!StartsWith(text, kDeclarationStart)) return "";
  const std::string_view declaration = text.substr(0, text.find(kDeclarationEnd));
  size_t begin = 0, end = 0;
  if (!FindPseudoAttribute(declaration, "encoding", begin, end)) return "";
  const std::string charset = CharsetNameOf(GetACP());
  const std::string_view named = declaration.substr(begin, end - begin);
  bool rename = false;
  if (decoded) {
    rename = !SameText(named, charset);
  } else {
    // 8-bit bytes stay as they are: only a name that would have the next load decode them is
    // wrong.
    try {
      rename = !ForeignEncodingOfBytes(fileName, text).empty();
    } catch (const EZelXMLTree&) {
      rename = true;
    }
  }
  if (!rename) return "";
  std::string out(text);
  out.replace(begin, end - begin, charset);
  return out;
}

}  // namespace zel
