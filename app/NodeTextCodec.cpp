#include "app/NodeTextCodec.h"

#include "platform/CodePage.h"

namespace zel {

QString FromCodePage(std::string_view text) {
  return QString::fromStdU16String(MultiByteToWide(GetACP(), text));
}

std::string ToCodePage(const QString& text) {
  return WideToMultiByte(GetACP(), text.toStdU16String());
}

}  // namespace zel
