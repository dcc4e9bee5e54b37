#pragma once
// Stored properties: turns chosen published properties of a window's components into settings
// keys and texts and back. Entries name "Component.Property"; the key of a property is its
// component's name, "_" and the property name, and the properties of an object-valued property
// (a font) extend that key with their own names.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/PropInfo.h"

namespace zel {

// One entry of a stored-properties list and the component it was bound to.
struct TStoredProp {
  std::string Text;
  TComponent* Component = nullptr;
};
using TStoredProps = std::vector<TStoredProp>;

// Splits "Component.Property" at the first ".", both parts trimmed; false when either is empty.
bool ParseStoredItem(std::string_view item, std::string& component, std::string& property);

// Binding (fromOwner true) remembers the component that each entry names and drops entries that
// name none; rewriting (false) renames each entry after its component's current name and drops
// entries without one.
void ResolveStoredProps(const TComponentOwner& owner, TStoredProps& list, bool fromOwner);

// An object's published properties except events, in name order.
class TPropInfoList {
 public:
  explicit TPropInfoList(TPersistent& object);
  int Count() const { return static_cast<int>(FList.size()); }
  const TPropInfo& operator[](int i) const { return *FList[static_cast<size_t>(i)]; }
  // Ignores the case of ASCII letters; nullptr when there is no such property.
  const TPropInfo* Find(std::string_view name) const;

 private:
  std::vector<const TPropInfo*> FList;
};

class TPropsStorage {
 public:
  using TReadStrEvent =
      std::function<std::string(const std::string&, const std::string&, const std::string&)>;
  using TWriteStrEvent =
      std::function<void(const std::string&, const std::string&, const std::string&)>;
  using TEraseSectEvent = std::function<void(const std::string&)>;

  TPropsStorage() = default;
  virtual ~TPropsStorage() = default;

  TPersistent* AObject = nullptr;
  std::string Prefix;
  std::string Section;
  TReadStrEvent OnReadString;
  TWriteStrEvent OnWriteString;
  TEraseSectEvent OnEraseSection;

  // Write or read every listed property; the list is first rewritten from its components.
  // Reading ignores every error; a failing write ends the store.
  void StoreProperties(const TComponentOwner& owner, TStoredProps& list);
  void LoadProperties(const TComponentOwner& owner, TStoredProps& list);
  // One property of AObject.
  void StoreProperty(const TPropInfo& prop);
  void LoadProperty(const TPropInfo& prop);

 protected:
  virtual std::string ReadString(const std::string& section, const std::string& key,
                                 const std::string& def);
  virtual void WriteString(const std::string& section, const std::string& key,
                           const std::string& value);
  virtual void EraseSection(const std::string& section);
  virtual std::string GetItemName(const std::string& propName);
  // The reader and writer for an object-valued property: same section and callbacks.
  virtual std::unique_ptr<TPropsStorage> CreateInfoStorage();

 private:
  template <typename Each>
  void ForEachEntry(const TComponentOwner& owner, TStoredProps& list, Each&& each);
  template <typename Each>
  void ForEachNested(const TPropInfo& prop, Each&& each);
  std::string ValueText(const TPropInfo& prop);
  void ApplyText(const TPropInfo& prop, const std::string& text);
};

}  // namespace zel
