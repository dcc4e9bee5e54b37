#pragma once
// The recent-files list: full file names, most recent first, shown as numbered entries in a
// Reopen submenu (with three commands) and in a drop-down menu, and kept in a section of the
// settings file. The component knows menus only through IReopenMenu, and knows nothing about
// documents: opening a file is the click handler's business.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Exception.h"

namespace zel {

class EZelReopenException : public Exception {
 public:
  using Exception::Exception;
};

// A menu that the component fills: a menu item's submenu or a popup menu. Items are owned by
// the menu; Clear frees them (a menu may free them later if one is being clicked right now).
class IReopenMenu {
 public:
  virtual ~IReopenMenu() = default;
  virtual void Clear() = 0;
  // Caption "-" makes a separator, without hint or click.
  virtual void AddItem(const std::string& caption, const std::string& hint,
                       std::function<void()> onClick) = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

class TZelReopen {
 public:
  // The click on an entry receives the entry's file name: the hint of the item, copied before
  // the handler can change the list (and so free the item).
  using TReopenClick = std::function<void(const std::string& fileName)>;

  static constexpr int kDefaultMaxReopen = 10;
  // The menus show at most the entries numbered 0 to 9 and lettered A to Z. A longer list (a
  // hand-made or damaged settings file) keeps the rest, but a menu of thousands of items would
  // be slow to build and could not be used.
  static constexpr size_t kMenuEntries = 36;

  TZelReopen() = default;
  ~TZelReopen();
  TZelReopen(const TZelReopen&) = delete;
  TZelReopen& operator=(const TZelReopen&) = delete;

  IReopenMenu* ReopenMenu() const { return FReopenMenu; }
  void SetReopenMenu(IReopenMenu* menu) { FReopenMenu = menu; }
  IReopenMenu* DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(IReopenMenu* menu) { FDropDownMenu = menu; }
  int MaxReopen() const { return FMaxReopen; }
  // 1 to 16, else EZelReopenException; neither trims the list nor rebuilds the menus.
  void SetMaxReopen(int value);
  TReopenClick OnReopenMenuClick;

  const std::vector<std::string>& Files() const { return FFiles; }

  // A name with a line break cannot be stored in the settings file and is not added.
  void AddFile(const std::string& fileName);
  void RemoveFile(const std::string& fileName);
  void UpdateMenus();
  // Replaces the list with the section's; changes not saved yet are forgotten.
  void LoadFromIni(const std::string& iniFileName, const std::string& section);
  // Applies the changes made since the list was loaded or last saved (the files added and
  // removed, in their order) to the list as the file holds it at the moment of writing, in one
  // write: what other editors saved meanwhile stays. The list then is the file's. A failure
  // leaves the file as it was and keeps the changes for the next save.
  void SaveToIni(const std::string& iniFileName, const std::string& section);
  // From now on every change of the list is saved to that section at once, so that an editor
  // that dies keeps every entry its menus showed. Such a save that fails is not reported: the
  // changes are saved with the next change and when the window closes, which reports.
  void SaveOnChange(const std::string& iniFileName, const std::string& section);
  void RemoveAll();
  void RemoveObsolete();
  // Hands each entry of the list as it is now to the click handler, oldest first, so that the
  // most recent ends up open. Stops at the first error, and at the first entry that is still
  // listed after its click: a successful open takes its file off the list, so that entry was
  // cancelled (its save question or its load) or refused.
  void ReopenAll();

  // "&0. a.xml" in the Reopen submenu, "0. a.xml" in the drop-down; "A" for index 10. Every
  // '&' of the file name is doubled, so that it shows instead of marking an accelerator.
  static std::string EntryCaption(int index, const std::string& fileName, bool accelerator);

 private:
  // One file added to the top (trimming the list to Max), or files removed.
  struct TListChange {
    uint64_t Serial;
    bool Added;
    std::vector<std::string> FileNames;
    size_t Max;
  };
  static void ApplyChange(std::vector<std::string>& files, const TListChange& change);
  void Change(bool added, std::vector<std::string> fileNames);
  // The changes up to `serial` are in the file, whose list is `saved`.
  void Saved(uint64_t serial, std::vector<std::string> saved);
  void FillEntries(IReopenMenu& menu, bool accelerator);
  // Rebuilds the menus once and saves the list where SaveOnChange asked.
  void Changed();

  std::vector<std::string> FFiles;
  std::vector<TListChange> FUnsaved;  // since the list was loaded or saved, oldest first
  uint64_t FSerial = 0;
  std::string FSaveFile, FSaveSection;
  IReopenMenu* FReopenMenu = nullptr;
  IReopenMenu* FDropDownMenu = nullptr;
  int FMaxReopen = kDefaultMaxReopen;
};

}  // namespace zel
