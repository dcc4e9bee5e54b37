#include "settings/Placement.h"

#include "settings/AppUtils.h"
#include "settings/IniFile.h"

namespace zel {

namespace {

// Closes the store's settings file at the end of a scope, also when the scope fails.
struct TCloser {
  std::unique_ptr<TIniFile>& File;
  ~TCloser() { File.reset(); }
};

}  // namespace

TFormPlacement::TFormPlacement(IPlacementWindow& window) : FWindow(window) {}

TFormPlacement::~TFormPlacement() = default;

std::string TFormPlacement::IniFileName() const {
  return FIniFileName.empty() ? DefaultIniName() : FIniFileName;
}

std::string TFormPlacement::IniSection() const {
  return FIniSection.empty() ? FWindow.ClassName() : FIniSection;
}

// Opens the settings file for the body and closes it afterwards, also when the body fails.
// The body's reads see one copy of the file, and its writes reach the file together.
template <typename Body>
void TFormPlacement::WithIniFile(Body&& body) {
  const TCloser closer{FIniFile};
  TIniBatch batch(IniFileName());
  FIniFile = std::make_unique<TIniFile>(IniFileName());
  body();
  batch.Commit();
}

void TFormPlacement::RestoreSettings() {
  FSaved = false;
  bool read = false;
  {
    struct MarkRestored {
      bool& restored;
      ~MarkRestored() { restored = true; }
    } mark{FRestored};
    WithIniFile([&] {
      if (FIniFile->ReadInteger(IniSection(), "FormVersion", 0) < FVersion) return;
      ReadPlacement();
      read = true;
      FRestored = true;
      if (OnRestorePlacement) OnRestorePlacement();
    });
  }
  AdjustMaxPosition();
  // A layout of a lower version is not this editor's to keep: the next save replaces it.
  FUnchanged = read ? ValuesToSave() : TIniValues();
}

void TFormPlacement::SaveSettings() {
  if (FActive && !FRestored) return;
  WithIniFile([this] {
    FIniFile->SetUnchanged(&FUnchanged);
    WriteSettings();
    if (OnSavePlacement) OnSavePlacement();
  });
  FSaved = true;
  FUnchanged = ValuesToSave();
}

void TFormPlacement::WriteSettings() {
  FIniFile->WriteInteger(IniSection(), "FormVersion", FVersion);
  WritePlacement();
}

TIniValues TFormPlacement::ValuesToSave() {
  const TCloser closer{FIniFile};
  TIniValues values;
  FIniFile = std::make_unique<TIniFile>(IniFileName());
  FIniFile->SetRecordOnly(&values);
  try {
    WriteSettings();
  } catch (const std::exception&) {
    values.clear();  // nothing known: a save writes every key
  }
  return values;
}

void TFormPlacement::WritePlacement() {
  if (!(FOptions & (PlacementOption(fpState) | PlacementOption(fpPosition)))) return;
  const std::string section = IniSection();
  WriteFormPlacement(FWindow, *FIniFile, section);
  // True only for a save from the window's destroy event, which this store does not make.
  FIniFile->WriteBool(section, "Visible", false);
}

void TFormPlacement::ReadPlacement() {
  ReadFormPlacement(FWindow, *FIniFile, IniSection(), FOptions & PlacementOption(fpState),
                    FOptions & PlacementOption(fpPosition));
}

// A maximized window's frame lies just outside the screen.
void TFormPlacement::AdjustMaxPosition() {
  if (!FWindow.HandleAllocated()) return;
  TWindowPlacement placement = FWindow.GetPlacement();
  if (!FWindow.Visible()) placement.ShowCmd = SW_HIDE;
  const TFormBorderStyle border = FWindow.BorderStyle();
  const TPoint frame = border == TFormBorderStyle::bsNone ? TPoint{} : FWindow.FrameSize(border);
  placement.MaxPosition = {-frame.X, -frame.Y};
  FWindow.SetPlacement(placement);
}

std::string TFormPlacement::ReadSettingString(const std::string& section, const std::string& key,
                                              const std::string& def) {
  if (FIniFile) return FIniFile->ReadString(section, key, def);
  return TIniFile(IniFileName()).ReadString(section, key, def);
}

void TFormPlacement::WriteSettingString(const std::string& section, const std::string& key,
                                        const std::string& value) {
  if (FIniFile)
    FIniFile->WriteString(section, key, QuoteProtected(value));
  else
    TIniFile(IniFileName()).WriteString(section, key, QuoteProtected(value));
}

TFormStorage::TFormStorage(IPlacementWindow& window, TComponentOwner& components)
    : TFormPlacement(window), FComponents(components) {
  FComponents.AddObserver(this);
}

TFormStorage::~TFormStorage() {
  FComponents.RemoveObserver(this);
}

void TFormStorage::SetStoredProps(const std::vector<std::string>& entries) {
  FStoredProps.clear();
  for (const std::string& e : entries) FStoredProps.push_back({e, nullptr});
}

void TFormStorage::Loaded() {
  ResolveStoredProps(FComponents, FStoredProps, true);
}

void TFormStorage::ComponentRemoved(TComponent* component) {
  std::erase_if(FStoredProps,
                [component](const TStoredProp& e) { return e.Component == component; });
}

void TFormStorage::WritePlacement() {
  TFormPlacement::WritePlacement();
  WriteProperties();
}

void TFormStorage::ReadPlacement() {
  TFormPlacement::ReadPlacement();
  SetRestored();
  try {
    ReadProperties();
  } catch (const std::exception&) {
    // A stored property that cannot be read keeps its value.
  }
}

void TFormStorage::WriteProperties() {
  TPropsStorage storage;
  storage.Section = IniSection();
  storage.OnWriteString = [this](const std::string& s, const std::string& k, const std::string& v) {
    WriteSettingString(s, k, v);
  };
  storage.OnEraseSection = [this](const std::string& s) { IniFile()->EraseSection(s); };
  storage.StoreProperties(FComponents, FStoredProps);
}

void TFormStorage::ReadProperties() {
  TPropsStorage storage;
  storage.Section = IniSection();
  storage.OnReadString = [this](const std::string& s, const std::string& k, const std::string& d) {
    return ReadSettingString(s, k, d);
  };
  storage.LoadProperties(FComponents, FStoredProps);
}

}  // namespace zel
