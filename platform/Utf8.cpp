#include "platform/Utf8.h"

#include <cstdint>

namespace zel {

bool AppendUtf8AsUtf16(std::string_view text, std::u16string& out) {
  bool wellFormed = true;
  // A sequence never yields more units than it has bytes, so one resize covers the worst case.
  const size_t base = out.size();
  out.resize(base + text.size());
  char16_t* w = out.data() + base;
  auto p = reinterpret_cast<const uint8_t*>(text.data());
  const uint8_t* const end = p + text.size();
  while (p < end) {
    const uint8_t b0 = *p;
    if (b0 < 0x80) {
      *w++ = b0;
      ++p;
      continue;
    }
    int need;
    uint32_t cp;
    uint8_t lo = 0x80, hi = 0xBF;  // the range of the next continuation byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      need = 1;
      cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      need = 2;
      cp = b0 & 0x0F;
      if (b0 == 0xE0) lo = 0xA0;  // no overlong forms
      if (b0 == 0xED) hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      need = 3;
      cp = b0 & 0x07;
      if (b0 == 0xF0) lo = 0x90;
      if (b0 == 0xF4) hi = 0x8F;  // nothing beyond U+10FFFF
    } else {
      *w++ = 0xFFFD;  // a stray continuation byte or a lead that no character has
      wellFormed = false;
      ++p;
      continue;
    }
    ++p;
    bool ok = true;
    for (int i = 0; i < need; ++i) {
      if (p == end || *p < lo || *p > hi) {
        ok = false;  // the offending byte starts the next sequence
        break;
      }
      cp = (cp << 6) | (*p & 0x3F);
      ++p;
      lo = 0x80;
      hi = 0xBF;
    }
    if (!ok) {
      *w++ = 0xFFFD;
      wellFormed = false;
    } else if (cp >= 0x10000) {
      cp -= 0x10000;
      *w++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *w++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *w++ = static_cast<char16_t>(cp);
    }
  }
  out.resize(static_cast<size_t>(w - out.data()));
  return wellFormed;
}

void AppendUtf16AsUtf8(std::u16string_view text, std::string& out) {
  out.reserve(out.size() + text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        ++i;
      } else {
        c = 0xFFFD;
      }
    }
    if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    }
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace zel
