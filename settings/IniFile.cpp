#include "settings/IniFile.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "base/Exception.h"
#include "base/StrUtils.h"
#include "platform/Profile.h"

namespace zel {

namespace {

// The message names the reason that the profile functions left as the last error.
[[noreturn]] void WriteRefused(const std::string& fileName) {
  const DWORD code = GetLastError();
  if (code == ERROR_LOCK_VIOLATION)
    throw EIniFileLocked(
        Format("Unable to write to %s: the file is locked by another program", fileName.c_str()));
  // The system has one code for a folder and a refused file; the user needs to tell them apart.
  std::error_code ec;
  const std::string reason = std::filesystem::is_directory(fileName, ec) ? "it is a folder"
                             : code == ERROR_SUCCESS                     ? std::string()
                                                                         : SysErrorMessageFor(code);
  throw Exception(reason.empty()
                      ? Format("Unable to write to %s", fileName.c_str())
                      : Format("Unable to write to %s: %s", fileName.c_str(), reason.c_str()));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool TryStrToInt(const std::string& text, int& value) {
  size_t i = 0;
  bool negative = false, hex = false;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    hex = true;
    i = 2;
  } else {
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i < text.size() && text[i] == '$') {
      hex = true;
      ++i;
    }
  }
  if (i == text.size()) return false;
  uint64_t n = 0;
  const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  for (; i < text.size(); ++i) {
    const int d = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (d < 0) return false;
    n = n * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (n > limit) return false;
  }
  const uint32_t bits = static_cast<uint32_t>(n);
  value = static_cast<int32_t>(negative ? 0u - bits : bits);
  return true;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
  char buffer[PROFILE_BUFFER_SIZE];
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer,
                                           sizeof buffer, FFileName.c_str());
  return std::string(buffer, n);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  int value = def;
  return TryStrToInt(ReadString(section, key, ""), value) ? value : def;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  // A missing key gives back either default; a present one its own value both times.
  return ReadString(section, key, "0") == ReadString(section, key, "1");
}

std::string TIniFile::ValueKey(const std::string& section, const std::string& key) {
  return LowerCase(Trim(section)) + '\n' + LowerCase(Trim(key));
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  if (FRecordOnly != nullptr) {
    (*FRecordOnly)[ValueKey(section, key)] = value;
    return;
  }
  if (FUnchanged != nullptr) {
    const auto it = FUnchanged->find(ValueKey(section, key));
    if (it != FUnchanged->end() && it->second == value) {
      return Update([section, key, value](TIniFile& file) {
        if (!file.ValueExists(section, key)) file.WriteString(section, key, value);
      });
    }
  }
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), FFileName.c_str()))
    WriteRefused(FFileName);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniBatch::Commit() {
  if (!FBatch.Commit()) WriteRefused(FFileName);
}

void TIniFile::EraseSection(const std::string& section) {
  if (FRecordOnly != nullptr) return;
  if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, FFileName.c_str()))
    WriteRefused(FFileName);
}

void TIniFile::Update(const std::function<void(TIniFile&)>& apply, std::function<void()> written) {
  const std::string name = FFileName;
  if (!UpdatePrivateProfile(
          name.c_str(),
          [name, apply] {
            TIniFile file(name);
            apply(file);
          },
          std::move(written)))
    WriteRefused(FFileName);
}

}  // namespace zel
