#pragma once
// The window placement store: saves the placement of its window (normal rectangle, minimized
// and maximized positions, show state) into one section of a settings file and restores it;
// TFormStorage adds the stored properties of the window's components to the same section.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/IniFile.h"
#include "settings/PropStorage.h"
#include "settings/WindowPlacement.h"

namespace zel {

enum TPlacementOption : uint8_t { fpState, fpPosition, fpActiveControl };
// A set of TPlacementOption, one bit each.
using TPlacementOptions = uint8_t;
constexpr TPlacementOptions PlacementOption(TPlacementOption o) {
  return static_cast<TPlacementOptions>(1u << o);
}

class TFormPlacement {
 public:
  explicit TFormPlacement(IPlacementWindow& window);
  virtual ~TFormPlacement();
  TFormPlacement(const TFormPlacement&) = delete;
  TFormPlacement& operator=(const TFormPlacement&) = delete;

  // In Active mode a window whose settings were never restored does not save them.
  bool Active() const { return FActive; }
  void SetActive(bool active) { FActive = active; }
  // Unset, the file is the program's name with ".INI" and the section the window's class name.
  std::string IniFileName() const;
  void SetIniFileName(std::string name) { FIniFileName = std::move(name); }
  std::string IniSection() const;
  void SetIniSection(std::string section) { FIniSection = std::move(section); }
  TPlacementOptions Options() const { return FOptions; }
  void SetOptions(TPlacementOptions options) { FOptions = options; }
  // A stored layout of a lower version is not restored.
  int Version() const { return FVersion; }
  void SetVersion(int version) { FVersion = version; }
  bool Restored() const { return FRestored; }
  bool Saved() const { return FSaved; }

  std::function<void()> OnSavePlacement;
  std::function<void()> OnRestorePlacement;

  void RestoreSettings();
  // Writes only what changed since the restore (or the last save): another editor's changes to
  // the other keys stay. Without a restore every key is written.
  void SaveSettings();

  virtual std::string ReadSettingString(const std::string& section, const std::string& key,
                                        const std::string& def);
  virtual void WriteSettingString(const std::string& section, const std::string& key,
                                  const std::string& value);

 protected:
  virtual void WritePlacement();
  virtual void ReadPlacement();

  IPlacementWindow& Window() const { return FWindow; }
  // The settings file that the running save or restore has open, else nullptr.
  TIniFile* IniFile() const { return FIniFile.get(); }
  void SetRestored() { FRestored = true; }

 private:
  template <typename Body>
  void WithIniFile(Body&& body);
  void AdjustMaxPosition();
  void WriteSettings();
  // What a save would write now, the values it starts from.
  TIniValues ValuesToSave();

  IPlacementWindow& FWindow;
  bool FActive = true;
  std::string FIniFileName;
  std::string FIniSection;
  TPlacementOptions FOptions = PlacementOption(fpState) | PlacementOption(fpPosition);
  int FVersion = 0;
  bool FRestored = false;
  bool FSaved = false;
  std::unique_ptr<TIniFile> FIniFile;
  TIniValues FUnchanged;
};

class TFormStorage : public TFormPlacement, private IComponentObserver {
 public:
  TFormStorage(IPlacementWindow& window, TComponentOwner& components);
  ~TFormStorage() override;

  // Entries "Component.Property". Loaded binds them to the window's components and drops
  // those that name none; call it once the components exist.
  TStoredProps& StoredProps() { return FStoredProps; }
  void SetStoredProps(const std::vector<std::string>& entries);
  void Loaded();

 protected:
  void WritePlacement() override;
  void ReadPlacement() override;
  virtual void WriteProperties();
  virtual void ReadProperties();

 private:
  void ComponentRemoved(TComponent* component) override;

  TComponentOwner& FComponents;
  TStoredProps FStoredProps;
};

}  // namespace zel
