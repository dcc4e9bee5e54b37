#include "app/NodeTextCodec.h"

#include "platform/CodePage.h"

namespace zel {

QString FromCodePage(std::string_view text) {
  const std::u16string wide = MultiByteToWide(GetACP(), text);
  return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

std::string ToCodePage(const QString& text) {
  return WideToMultiByte(GetACP(),
                         std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<size_t>(text.size())));
}

}  // namespace zel
