#pragma once
// Settings file access by section and key over the profile functions. Each object names one
// file; outside a batch nothing is cached, so every read sees the file as it is now.

#include <functional>
#include <string>
#include <unordered_map>

#include "base/Exception.h"
#include "platform/Profile.h"

namespace zel {

// A write refused because another program holds the settings file's lock: trying again later
// may succeed.
class EIniFileLocked : public Exception {
 public:
  using Exception::Exception;
};

// Values by section and key, as a save writes them (see TIniFile::SetUnchanged).
using TIniValues = std::unordered_map<std::string, std::string>;

class TIniFile {
 public:
  explicit TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}

  const std::string& FileName() const { return FFileName; }

  // The value without surrounding blanks and one pair of enclosing quotes, at most 2047
  // characters; the default when the file, section or key is missing.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // Decimal, or hexadecimal after "$" or "0x"; anything else gives the default.
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  bool ValueExists(const std::string& section, const std::string& key) const;

  // Writes fail with zel::Exception "Unable to write to <file name>: <reason>" (EIniFileLocked
  // when the reason is another program's lock).
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void EraseSection(const std::string& section);
  // A change worked out from the file as it is when it is written (UpdatePrivateProfile):
  // `apply` reads and writes the file through the TIniFile it is given.
  void Update(const std::function<void(TIniFile&)>& apply, std::function<void()> written = {});

  // The values this editor started from: a write of the same value as recorded there is no
  // change of its own, and sets the key only where the file lacks it, so that what another
  // editor wrote there meanwhile stays.
  void SetUnchanged(const TIniValues* values) { FUnchanged = values; }
  // A dry run: the writes are recorded there instead of reaching the file.
  void SetRecordOnly(TIniValues* values) { FRecordOnly = values; }

 private:
  static std::string ValueKey(const std::string& section, const std::string& key);

  std::string FFileName;
  const TIniValues* FUnchanged = nullptr;
  TIniValues* FRecordOnly = nullptr;
};

// A batch over one settings file for every TIniFile of that name while it lives: reads see one
// copy of the file, and the writes reach it together on Commit, or not at all when the batch
// ends without it. A batch begun inside another for the same file joins it.
class TIniBatch {
 public:
  explicit TIniBatch(std::string fileName)
      : FFileName(std::move(fileName)), FBatch(FFileName.c_str()) {}
  // Fails as a write of TIniFile does; the file is then as it was, and the batch keeps its
  // writes for another Commit.
  void Commit();

 private:
  std::string FFileName;
  TProfileBatch FBatch;
};

// The integer rules of ReadInteger: "0x" or "0X" and hexadecimal digits, or leading spaces and an
// optional sign followed by decimal digits or by "$" and hexadecimal digits; within 32 bits
// (hexadecimal up to $FFFFFFFF, which wraps to negative). False for anything else.
bool TryStrToInt(const std::string& text, int& value);

}  // namespace zel
