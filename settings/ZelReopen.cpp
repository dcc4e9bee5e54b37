#include "settings/ZelReopen.h"

#include <algorithm>

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

void TZelReopen::AddFile(const std::string& fileName) {
  if (fileName.find_first_of("\r\n") != std::string::npos) return RemoveFile(fileName);
  std::erase_if(FFiles, [&](const std::string& f) { return SameText(f, fileName); });
  FFiles.insert(FFiles.begin(), fileName);
  if (FFiles.size() > static_cast<size_t>(FMaxReopen)) FFiles.resize(FMaxReopen);
  Changed();
}

void TZelReopen::RemoveFile(const std::string& fileName) {
  std::erase_if(FFiles, [&](const std::string& f) { return SameText(f, fileName); });
  Changed();
}

void TZelReopen::Changed() {
  UpdateMenus();
  if (FSaveFile.empty() || FFiles == FSavedFiles) return;
  try {
    SaveToIni(FSaveFile, FSaveSection);
    FSavedFiles = FFiles;
  } catch (const Exception&) {
    // Tried again at the next change and at close, where the failure is reported.
  }
}

void TZelReopen::SaveOnChange(const std::string& iniFileName, const std::string& section) {
  FSaveFile = iniFileName;
  FSaveSection = section;
  FSavedFiles = FFiles;
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

void TZelReopen::LoadFromIni(const std::string& iniFileName, const std::string& section) {
  const TIniBatch snapshot(iniFileName);  // one read of the file, however long the list
  const TIniFile ini(iniFileName);
  FFiles.clear();
  try {
    for (int n = 0;; ++n) {
      std::string value = ini.ReadString(section, std::to_string(n), "");
      if (value.empty()) break;
      FFiles.push_back(std::move(value));
    }
  } catch (...) {
    UpdateMenus();
    throw;
  }
  UpdateMenus();
}

void TZelReopen::SaveToIni(const std::string& iniFileName, const std::string& section) const {
  TIniBatch batch(iniFileName);
  TIniFile ini(iniFileName);
  ini.EraseSection(section);
  for (size_t i = FFiles.size(); i-- > 0;) ini.WriteString(section, std::to_string(i), FFiles[i]);
  batch.Commit();
}

void TZelReopen::RemoveAll() {
  FFiles.clear();
  Changed();
}

void TZelReopen::RemoveObsolete() {
  std::erase_if(FFiles, [](const std::string& f) { return !FileExists(f); });
  Changed();
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
