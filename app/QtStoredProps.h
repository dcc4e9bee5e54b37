#pragma once
// The stored properties of the main window on Qt objects: the tree view's font and tooltips
// switch, the find dialog's text and the Use Dialog command's check mark, published to the
// settings store under the names and in the value forms of a Windows font.
//
// Each component lives as long as the Qt object it stands for and is deleted with it, which
// drops it from its owner and from the stored-properties lists bound to it.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/PropInfo.h"

class QAction;
class QWidget;

namespace zel {

// The entries of the main window's settings store.
const std::vector<std::string>& MainWindowStoredProps();

// A window's component over a Qt object, with its own registration table.
class TQtComponent : public TComponent {
 public:
  TQtComponent(TComponentOwner& owner, const std::string& name, QObject* anchor);
  ~TQtComponent() override;
  const TPropInfos& PublishedProps() const override { return FProps; }
  void AddProp(TPropInfo prop) { FProps.push_back(std::move(prop)); }
  // An object-valued property whose object the component owns.
  void AddObject(const std::string& name, std::unique_ptr<TPersistent> object);

 private:
  TPropInfos FProps;
  std::vector<std::unique_ptr<TPersistent>> FObjects;
  QMetaObject::Connection FAnchorGone;
};

// A widget's font as a Windows font: Charset, Color, Height, Name, Pitch, Size, Style.
class TQtFont : public TPersistent {
 public:
  explicit TQtFont(QWidget* widget) : FWidget(widget) {}
  const TPropInfos& PublishedProps() const override;

  // Windows colour value of the text colour; the system window-text colour when it is the
  // palette's own.
  int Color() const;
  void SetColor(int color);
  // Negative: the character height in pixels at the screen's pixels per inch.
  int Height() const;
  void SetHeight(int height);
  std::string Name() const;
  void SetName(const std::string& name);
  // fpDefault, fpVariable, fpFixed.
  int Pitch() const;
  void SetPitch(int pitch);
  // Points; 0 or less gives the application's default size.
  int Size() const;
  void SetSize(int size);
  // Bits of fsBold, fsItalic, fsUnderline, fsStrikeOut.
  uint32_t Style() const;
  void SetStyle(uint32_t style);

 private:
  int PixelsPerInch() const;
  QWidget* FWidget;
  int FPitch = 0;  // fpVariable is not a hint of Qt's: kept as set
};

constexpr int clWindowText = -16777208;

// The components of the main window, named as their entries name them.
TQtComponent* AddTreeViewComponent(TComponentOwner& owner, const std::string& name, QWidget* view,
                                   std::function<bool()> toolTips,
                                   std::function<void(bool)> setToolTips);
TQtComponent* AddFindDialogComponent(TComponentOwner& owner, const std::string& name,
                                     QObject* dialog, std::function<QString()> findText,
                                     std::function<void(const QString&)> setFindText);
TQtComponent* AddActionComponent(TComponentOwner& owner, const std::string& name, QAction* action);

}  // namespace zel
