#include "settings/ZelReopen.h"

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "base/StrUtils.h"
#include "platform/FileApi.h"
#include "settings/IniFile.h"

namespace zel {

TZelReopen::~TZelReopen() {
  FReopenMenu = nullptr;
  FDropDownMenu = nullptr;
}

void TZelReopen::SetMaxReopen(int value) {
  if (value < 1 || value > 16)
    throw EZelReopenException("Max reopen value is out of range.\rValid values are from 1 to 16.");
  FMaxReopen = value;
}

void TZelReopen::ApplyChange(std::vector<std::string>& files, const TListChange& change) {
  // Names are equal when they differ in the case of ASCII letters only.
  std::unordered_set<std::string> names;
  for (const std::string& f : change.FileNames) names.insert(LowerCase(f));
  std::erase_if(files, [&](const std::string& f) { return names.contains(LowerCase(f)); });
  if (!change.Added) return;
  files.insert(files.begin(), change.FileNames.front());
  if (files.size() > change.Max) files.resize(change.Max);
}

void TZelReopen::Change(bool added, std::vector<std::string> fileNames) {
  FUnsaved.push_back({++FSerial, added, std::move(fileNames), static_cast<size_t>(FMaxReopen)});
  ApplyChange(FFiles, FUnsaved.back());
  Changed();
}

void TZelReopen::AddFile(const std::string& fileName) {
  if (fileName.find_first_of("\r\n") != std::string::npos) return RemoveFile(fileName);
  Change(true, {fileName});
}

void TZelReopen::RemoveFile(const std::string& fileName) {
  Change(false, {fileName});
}

void TZelReopen::Changed() {
  UpdateMenus();
  if (FSaveFile.empty() || FUnsaved.empty()) return;
  try {
    SaveToIni(FSaveFile, FSaveSection);
  } catch (const Exception&) {
    // Tried again at the next change and at close, where the failure is reported.
  }
}

void TZelReopen::SaveOnChange(const std::string& iniFileName, const std::string& section) {
  FSaveFile = iniFileName;
  FSaveSection = section;
}

std::string TZelReopen::EntryCaption(int index, const std::string& fileName, bool accelerator) {
  const std::string number =
      index < 10 ? std::to_string(index) : std::string(1, static_cast<char>('A' + index - 10));
  std::string caption = (accelerator ? "&" : "") + number + ". ";
  for (const char c : ExtractFileName(fileName)) {
    if (c == '&') caption += '&';
    caption += c;
  }
  return caption;
}

void TZelReopen::FillEntries(IReopenMenu& menu, bool accelerator) {
  menu.Clear();
  for (size_t i = 0; i < std::min(FFiles.size(), kMenuEntries); ++i) {
    const std::string name = FFiles[i];
    menu.AddItem(EntryCaption(static_cast<int>(i), name, accelerator), name, [this, name] {
      if (OnReopenMenuClick) OnReopenMenuClick(name);
    });
  }
}

void TZelReopen::UpdateMenus() {
  if (FDropDownMenu != nullptr) FillEntries(*FDropDownMenu, false);
  if (FReopenMenu == nullptr) return;
  FillEntries(*FReopenMenu, true);
  if (!FFiles.empty()) {
    FReopenMenu->AddItem("-", "", nullptr);
    FReopenMenu->AddItem("&Reopen All", "Reopen All|Reopen all recent files",
                         [this] { ReopenAll(); });
    FReopenMenu->AddItem("Remove &Obsolete",
                         "Remove Obsolete|Remove recent files that no longer exists",
                         [this] { RemoveObsolete(); });
    FReopenMenu->AddItem("Remo&ve All", "Remove All|Remove all recent files",
                         [this] { RemoveAll(); });
  }
  FReopenMenu->SetEnabled(!FFiles.empty());
}

namespace {

// The keys "0", "1", ... up to the first missing or empty one.
std::vector<std::string> ReadList(const TIniFile& ini, const std::string& section) {
  std::vector<std::string> files;
  for (int n = 0;; ++n) {
    std::string value = ini.ReadString(section, std::to_string(n), "");
    if (value.empty()) return files;
    files.push_back(std::move(value));
  }
}

}  // namespace

void TZelReopen::LoadFromIni(const std::string& iniFileName, const std::string& section) {
  const TIniBatch snapshot(iniFileName);  // one read of the file, however long the list
  FUnsaved.clear();
  try {
    FFiles = ReadList(TIniFile(iniFileName), section);
  } catch (...) {
    FFiles.clear();
    UpdateMenus();
    throw;
  }
  UpdateMenus();
}

void TZelReopen::SaveToIni(const std::string& iniFileName, const std::string& section) {
  TIniBatch batch(iniFileName);
  auto saved = std::make_shared<std::vector<std::string>>();
  TIniFile(iniFileName)
      .Update(
          [section, changes = FUnsaved, saved](TIniFile& ini) {
            const std::vector<std::string> before = ReadList(ini, section);
            *saved = before;
            for (const TListChange& c : changes) ApplyChange(*saved, c);
            if (*saved == before) return;
            ini.EraseSection(section);
            for (size_t i = saved->size(); i-- > 0;)
              ini.WriteString(section, std::to_string(i), (*saved)[i]);
          },
          [this, serial = FSerial, saved] { Saved(serial, *saved); });
  batch.Commit();
}

void TZelReopen::Saved(uint64_t serial, std::vector<std::string> saved) {
  std::erase_if(FUnsaved, [serial](const TListChange& c) { return c.Serial <= serial; });
  for (const TListChange& c : FUnsaved) ApplyChange(saved, c);
  if (saved == FFiles) return;
  FFiles = std::move(saved);
  UpdateMenus();
}

void TZelReopen::RemoveAll() {
  Change(false, FFiles);
}

void TZelReopen::RemoveObsolete() {
  std::vector<std::string> missing;
  for (const std::string& f : FFiles)
    if (!FileExists(f)) missing.push_back(f);
  Change(false, std::move(missing));
}

void TZelReopen::ReopenAll() {
  if (FReopenMenu == nullptr && FDropDownMenu == nullptr)
    throw EZelReopenException("Drop down and reopen menu are not assigned.");
  if (!OnReopenMenuClick) throw EZelReopenException("OnReopenMenuClick event is not assigned.");
  // The handler changes the list (and the menus) on every click: walk a copy.
  const std::vector<std::string> files = FFiles;
  const TReopenClick click = OnReopenMenuClick;
  for (size_t i = files.size(); i-- > 0;) {
    click(files[i]);
    if (std::any_of(FFiles.begin(), FFiles.end(),
                    [&](const std::string& f) { return SameText(f, files[i]); }))
      return;
  }
}

}  // namespace zel
