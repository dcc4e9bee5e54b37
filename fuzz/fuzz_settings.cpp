// The settings file reader and writer on arbitrary file contents: the file held in memory
// gives back every byte, reads never fail, a write reads back as written, leaves the other
// sections alone, and an erased section is gone, key by key or in a batch.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzUtil.h"
#include "base/Exception.h"
#include "platform/ProfileText.h"
#include "settings/IniFile.h"

namespace {

// A section and a key taken from the input itself, so that the fuzzer reaches names that the
// file holds.
std::string NameFrom(const uint8_t* data, size_t size, size_t from) {
  std::string name;
  for (size_t i = from; i < size && name.size() < 8; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c >= 'a' && c <= 'z')
      name += c;
    else if (!name.empty())
      break;
  }
  return name.empty() ? "s" : name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file = zelfuzz::ScratchFile("ini");
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (zel::TProfileText(bytes).Bytes() != bytes) std::abort();
  if (!zelfuzz::WriteFile(file, data, size)) return 0;
  zel::TIniFile ini(file);
  const std::string section = NameFrom(data, size, 0);
  const std::string key = NameFrom(data, size, size / 2);
  const std::string other = "Other Section";

  if (ini.ReadString(section, key, "").size() > 2047) std::abort();
  (void)ini.ReadInteger(section, key, 7);
  const std::string otherBefore = ini.ReadString(other, "k", "<none>");
  try {
    ini.WriteString(section, key, "value 1");
    if (ini.ReadString(section, key, "") != "value 1") std::abort();
    if (section != other && ini.ReadString(other, "k", "<none>") != otherBefore) std::abort();
    ini.WriteInteger(section, key, -42);
    if (ini.ReadInteger(section, key, 0) != -42) std::abort();
    ini.EraseSection(section);
    if (ini.ReadString(section, key, "<gone>") != "<gone>") std::abort();
  } catch (const zel::Exception&) {
    // A refused write carries its message; the file is as it was.
  }
  try {
    zel::TIniBatch batch(file);
    ini.WriteString(section, key, "batched");
    ini.EraseSection(other);
    if (ini.ReadString(section, key, "") != "batched") std::abort();
    batch.Commit();
    if (ini.ReadString(section, key, "") != "batched") std::abort();
    if (section != other && ini.ReadString(other, "k", "<none>") != "<none>") std::abort();
  } catch (const zel::Exception&) {
  }
  return 0;
}
