#pragma once
// TVyTextFile: reads a text file line by line as UTF-16, whatever its encoding: UTF-16 in
// either byte order, UTF-8, or 8-bit text in a code page. A byte-order mark decides the
// encoding; without one the code page the caller names does.

#include <cstdint>
#include <string>

#include "fileio/VyHugeF.h"
#include "platform/CodePage.h"

namespace zel {

class EVyTextFile : public EVyHugeFile {
 public:
  using EVyHugeFile::EVyHugeFile;
};

enum TVyTextFlag { vtfUnicode, vtfBigEndian };
using TVyTextFlags = TVySet<TVyTextFlag>;

enum TVyTextOpenOption { vtoNoConversion };
using TVyTextOpenOptions = TVySet<TVyTextOpenOption>;

class TVyTextFile : public TVyHugeFile {
 public:
  // Bytes of the window onto the file, and the look-ahead a full fill holds back.
  static constexpr uint32_t WindowSize = 1024;
  static constexpr uint32_t HeldBack = 2;

  using TVyHugeFile::TVyHugeFile;

  // Opens the file and decides its encoding. bufferSize 0 takes the default buffer, codePage 0
  // the system's code page. Raises EVyTextFile "TVyTextFile(%s):Failed to reset file." (2004).
  void Reset(TVyTextOpenOptions options, uint32_t bufferSize, uint16_t codePage);
  bool IsUnicode() const { return FFlags.Contains(vtfUnicode); }
  // No byte of the file is left to hand out.
  bool Eof();
  // The next line without its line break; an empty line at the end of the file.
  std::u16string Readln();
  // Whether the last line read held bytes its encoding cannot decode (they read as U+FFFD).
  bool LastLineLossy() const { return FLastLineLossy; }

  TVyTextFlags Flags() const { return FFlags; }
  uint16_t Codepage() const { return FCodepage; }

 protected:
  virtual void FillWindow();
  virtual bool WindowUsedUp() const;
  // Gives the window position b of the next break from FBufStart and its length; no break
  // gives FBufLen + 1 and 0.
  virtual void FindLineBreak(uint32_t& b, uint32_t& length) const;
  virtual void ResetWindow();
  virtual void SwapUnitBytes(uint32_t units);
  virtual void SetCodepage(uint16_t codePage);

  bool IsUtf16() const { return FFlags.Contains(vtfUnicode) && FCodepage != CP_UTF8; }
  void AppendPiece(uint32_t from, uint32_t to, std::u16string& line);

  TVyTextFlags FFlags;
  uint16_t FCodepage = 0;
  bool FLastFill = false;
  bool FNoConversion = false;
  // Window positions count from 1, as the line-break rules do; index 0 is unused. Two zero
  // bytes stand behind the data of a short fill, and two more keep look-ahead tests in bounds.
  uint8_t FLineBuffer[WindowSize + 4] = {};
  uint32_t FBufStart = 0;
  uint32_t FBufLen = 0;

 private:
  std::string FCollector;  // the bytes of a UTF-8 or 8-bit line, decoded once per line
  bool FLastLineLossy = false;
};

}  // namespace zel
