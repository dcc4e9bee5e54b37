#pragma once
// Run-time description of the properties that a component publishes, as a registration table
// per component: the stored-properties reader and writer finds, reads and sets properties by
// name through it, without knowing the component's class.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/StrUtils.h"

namespace zel {

// Kinds of published properties. Booleans are enumerations with the identifiers False, True;
// a set's value is a bit mask over the identifiers of its element type.
enum TTypeKind : uint8_t { tkInteger, tkEnumeration, tkSet, tkString, tkClass, tkMethod };

class TPersistent;

struct TPropInfo {
  std::string Name;
  TTypeKind Kind = tkInteger;
  // Enumeration values or set members, by ordinal.
  std::vector<std::string> Identifiers;
  // Ordinal value: integer, enumeration ordinal or set bit mask.
  std::function<int64_t(TPersistent&)> GetOrd;
  std::function<void(TPersistent&, int64_t)> SetOrd;
  std::function<std::string(TPersistent&)> GetStr;
  std::function<void(TPersistent&, const std::string&)> SetStr;
  std::function<TPersistent*(TPersistent&)> GetObject;
};

using TPropInfos = std::vector<TPropInfo>;

// Builders for the registration tables: each reads and sets the value through the given calls.
TPropInfo IntegerProp(std::string name, std::function<int(TPersistent&)> get,
                      std::function<void(TPersistent&, int)> set);
TPropInfo BooleanProp(std::string name, std::function<bool(TPersistent&)> get,
                      std::function<void(TPersistent&, bool)> set);
TPropInfo EnumProp(std::string name, std::vector<std::string> identifiers,
                   std::function<int(TPersistent&)> get,
                   std::function<void(TPersistent&, int)> set);
TPropInfo SetProp(std::string name, std::vector<std::string> identifiers,
                  std::function<uint32_t(TPersistent&)> get,
                  std::function<void(TPersistent&, uint32_t)> set);
TPropInfo StringProp(std::string name, std::function<std::string(TPersistent&)> get,
                     std::function<void(TPersistent&, const std::string&)> set);
TPropInfo ObjectProp(std::string name, std::function<TPersistent*(TPersistent&)> get);
TPropInfo EventProp(std::string name);

// An object with published properties.
class TPersistent {
 public:
  virtual ~TPersistent() = default;
  virtual const TPropInfos& PublishedProps() const = 0;
};

class TComponentOwner;

// A named object of a window. Destroying it tells its owner, so that nothing keeps a pointer
// to it.
class TComponent : public TPersistent {
 public:
  TComponent(TComponentOwner* owner, std::string name);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return FName; }
  void SetName(std::string name) { FName = std::move(name); }
  TComponentOwner* Owner() const { return FOwner; }

 private:
  friend class TComponentOwner;
  TComponentOwner* FOwner;
  std::string FName;
};

// Told when a component of the window goes away.
class IComponentObserver {
 public:
  virtual void ComponentRemoved(TComponent* component) = 0;

 protected:
  ~IComponentObserver() = default;
};

// The components of a window, found by name without regard to ASCII case.
class TComponentOwner {
 public:
  TComponentOwner() = default;
  ~TComponentOwner();
  TComponentOwner(const TComponentOwner&) = delete;
  TComponentOwner& operator=(const TComponentOwner&) = delete;

  TComponent* FindComponent(std::string_view name) const;
  const std::vector<TComponent*>& Components() const { return FComponents; }

  void AddObserver(IComponentObserver* observer);
  void RemoveObserver(IComponentObserver* observer);

 private:
  friend class TComponent;
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  std::vector<TComponent*> FComponents;
  std::vector<IComponentObserver*> FObservers;
};

}  // namespace zel
