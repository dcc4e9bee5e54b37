#include "fileio/VyTextFile.h"

#include <bit>
#include <cstring>

#include "base/StrUtils.h"
#include "platform/CodePage.h"

namespace zel {

namespace {

constexpr uint32_t kFullLen = TVyTextFile::WindowSize - TVyTextFile::HeldBack;  // 1,022

}  // namespace

void TVyTextFile::SetCodepage(uint16_t codePage) {
  if (codePage == CP_UTF16LE || codePage == CP_UTF8) {
    FCodepage = codePage;
    FFlags.Include(vtfUnicode);
  } else if (codePage == 0) {
    FCodepage = static_cast<uint16_t>(GetACP());
  } else {
    FCodepage = codePage;
    FFlags.Exclude(vtfUnicode);
  }
}

void TVyTextFile::ResetWindow() {
  FBufStart = 0;
  FBufLen = 0;
}

void TVyTextFile::Reset(TVyTextOpenOptions options, uint32_t bufferSize, uint16_t codePage) {
  try {
    SetCodepage(codePage);
    ResetWindow();
    FLastFill = false;
    FNoConversion = options.Contains(vtoNoConversion);
    if (OpenRead(1, bufferSize, 0, 0, {vfoBuffered}, nullptr) != vfrOk)
      throw EVyTextFile("open failed", 2004);
    FFlags.Clear();
    if (FileSize() >= 2) {
      uint8_t mark[3] = {};
      BlockReadUnsafe(mark, 2);
      if (mark[0] == 0xFF && mark[1] == 0xFE) {
        FFlags = {vtfUnicode};
        FCodepage = CP_UTF16LE;
      } else if (mark[0] == 0xFE && mark[1] == 0xFF) {
        FFlags = {vtfUnicode, vtfBigEndian};
        FCodepage = CP_UTF16LE;
      } else {
        bool utf8 = false;
        if (mark[0] == 0xEF && mark[1] == 0xBB && FileSize() >= 3) {
          BlockReadUnsafe(mark + 2, 1);
          utf8 = mark[2] == 0xBF;
        }
        if (utf8) {
          FFlags = {vtfUnicode};
          FCodepage = CP_UTF8;
        } else {
          Seek(0);  // the bytes read belong to the text
        }
      }
    }
    // Only a code page the caller names makes a file without a mark Unicode; a UTF-8 system
    // code page does not.
    if (!FFlags.Contains(vtfUnicode) && (codePage == CP_UTF16LE || codePage == CP_UTF8))
      FFlags.Include(vtfUnicode);
  } catch (...) {
    try {
      Close();  // a failed reset holds no lock on the file
    } catch (...) {
    }
    throw EVyTextFile(Format("TVyTextFile(%s):Failed to reset file.", FFileName.c_str()), 2004);
  }
}

bool TVyTextFile::WindowUsedUp() const {
  return FBufLen == 0 || FBufStart > FBufLen;
}

void TVyTextFile::SwapUnitBytes(uint32_t units) {
  for (uint32_t i = 0, p = 1; i < units; ++i, p += 2) std::swap(FLineBuffer[p], FLineBuffer[p + 1]);
}

void TVyTextFile::FillWindow() {
  const bool bigEndian = FFlags.Contains(vtfBigEndian);
  uint32_t n = 0;
  if (FBufLen == 0) {
    uint32_t got = 0;
    BlockRead(&FLineBuffer[1], WindowSize, got);
    n = got;
    FBufStart = 1;
  } else if (FLastFill) {
    // The previous fill reached the end of the file. Tested before the length, since a short
    // fill of 1,022 or 1,023 bytes holds nothing back.
    FBufLen = 0;
    return;
  } else {
    // Carry the held-back bytes over in file order (a big-endian fill has swapped them).
    const uint8_t a = FLineBuffer[WindowSize - 1], b = FLineBuffer[WindowSize];
    FLineBuffer[1] = bigEndian ? b : a;
    FLineBuffer[2] = bigEndian ? a : b;
    uint32_t got = 0;
    BlockRead(&FLineBuffer[3], kFullLen, got);
    n = got + HeldBack;
    FBufStart -= kFullLen;
  }
  if (bigEndian) SwapUnitBytes(n / 2);
  if (n < WindowSize) {
    FLastFill = true;
    FLineBuffer[n + 1] = 0;
    FLineBuffer[n + 2] = 0;
    FBufLen = n;
  } else {
    FLastFill = false;
    FBufLen = kFullLen;
  }
}

void TVyTextFile::FindLineBreak(uint32_t& b, uint32_t& length) const {
  const uint8_t* w = FLineBuffer;
  if (!IsUtf16()) {
    for (uint32_t p = FBufStart; p <= FBufLen; ++p) {
      const uint8_t c = w[p];
      if (c > 13 || (c != 13 && c != 10)) continue;
      const uint8_t d = w[p + 1];
      b = p;
      length = (c == 13 && d == 10) || (c == 10 && d == 13) ? 2 : 1;
      return;
    }
  } else {
    // Behind the last fill's data stand zeros, not text: an odd last byte must not pair with
    // one into a LF unit.
    const uint32_t end = FLastFill ? FBufLen : WindowSize;
    for (uint32_t p = FBufStart; p <= FBufLen; p += 2) {
      if (p + 3 <= end && w[p] == 13 && w[p + 1] == 0 && w[p + 2] == 10 && w[p + 3] == 0) {
        b = p;
        length = 4;
        return;
      }
      if (w[p] == 0x28 && w[p + 1] == 0x20) {  // U+2028 LINE SEPARATOR
        b = p;
        length = 2;
        return;
      }
    }
  }
  b = FBufLen + 1;
  length = 0;
}

void TVyTextFile::AppendPiece(uint32_t from, uint32_t to, std::u16string& line) {
  const uint8_t* p = &FLineBuffer[from];
  const uint32_t k = to - from + 1;
  if (IsUtf16()) {
    const size_t base = line.size();
    line.resize(base + k / 2);
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(line.data() + base, p, size_t{k / 2} * 2);
    } else {
      for (size_t i = 0; i < k / 2; ++i)
        line[base + i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    }
    if (k % 2 != 0) line.push_back(u'\uFFFD');  // the odd last byte of the file
  } else if (FNoConversion && !FFlags.Contains(vtfUnicode)) {
    for (uint32_t i = 0; i < k; ++i) line.push_back(p[i]);
  } else {
    // Decoded once per line, so a character that a refill splits stays whole.
    FCollector.append(reinterpret_cast<const char*>(p), k);
  }
}

std::u16string TVyTextFile::Readln() {
  try {
    std::u16string line;
    FCollector.clear();
    FLastLineLossy = false;
    for (;;) {
      if (WindowUsedUp()) FillWindow();
      if (FBufLen == 0) break;
      uint32_t b = 0, length = 0;
      FindLineBreak(b, length);
      if (b > FBufStart) AppendPiece(FBufStart, b - 1, line);
      FBufStart = b + length;
      if (FLastFill || length > 0) break;
    }
    if (!FCollector.empty()) line = MultiByteToWide(FCodepage, FCollector, &FLastLineLossy);
    return line;
  } catch (const EVyHugeFile&) {
    throw;
  } catch (const Exception& e) {
    throw EVyTextFile(e.Message(), 2000);
  } catch (const std::exception& e) {
    throw EVyTextFile(e.what(), 2000);
  }
}

bool TVyTextFile::Eof() {
  if (!WindowUsedUp()) return false;
  // After a full fill the two held-back bytes are still to come until FBufStart passes them.
  if (!FLastFill && FBufLen == kFullLen && FBufStart <= WindowSize) return false;
  // A short fill reached the end: a file that grows, or whose size lies, still ends.
  if (FLastFill) return true;
  return FilePos() >= FileSize();
}

}  // namespace zel
