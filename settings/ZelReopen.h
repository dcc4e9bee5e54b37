#pragma once
// The recent-files list: full file names, most recent first, shown as numbered entries in a
// Reopen submenu (with three commands) and in a drop-down menu, and kept in a section of the
// settings file. The component knows menus only through IReopenMenu, and knows nothing about
// documents: opening a file is the click handler's business.

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
  void LoadFromIni(const std::string& iniFileName, const std::string& section);
  void SaveToIni(const std::string& iniFileName, const std::string& section) const;
  void RemoveAll();
  void RemoveObsolete();
  // Hands each entry of the list as it is now to the click handler once, oldest first, so
  // that the most recent ends up open; stops at the first error.
  void ReopenAll();

  // "&0. a.xml" in the Reopen submenu, "0. a.xml" in the drop-down; "A" for index 10.
  static std::string EntryCaption(int index, const std::string& fileName, bool accelerator);

 private:
  void FillEntries(IReopenMenu& menu, bool accelerator);

  std::vector<std::string> FFiles;
  IReopenMenu* FReopenMenu = nullptr;
  IReopenMenu* FDropDownMenu = nullptr;
  int FMaxReopen = kDefaultMaxReopen;
};

}  // namespace zel
