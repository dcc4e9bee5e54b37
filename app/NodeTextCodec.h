#pragma once
// Node texts and messages are 8-bit strings in the system code page; Qt shows UTF-16.

#include <QString>
#include <string>
#include <string_view>

namespace zel {

QString FromCodePage(std::string_view text);
// Characters the code page cannot hold become '?'.
std::string ToCodePage(const QString& text);

}  // namespace zel
