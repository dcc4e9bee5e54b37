#include "settings/PropInfo.h"

#include <algorithm>

namespace zel {

TPropInfo IntegerProp(std::string name, std::function<int(TPersistent&)> get,
                      std::function<void(TPersistent&, int)> set) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = tkInteger;
  p.GetOrd = [get = std::move(get)](TPersistent& o) { return int64_t{get(o)}; };
  p.SetOrd = [set = std::move(set)](TPersistent& o, int64_t v) { set(o, static_cast<int>(v)); };
  return p;
}

TPropInfo EnumProp(std::string name, std::vector<std::string> identifiers,
                   std::function<int(TPersistent&)> get,
                   std::function<void(TPersistent&, int)> set) {
  TPropInfo p = IntegerProp(std::move(name), std::move(get), std::move(set));
  p.Kind = tkEnumeration;
  p.Identifiers = std::move(identifiers);
  return p;
}

TPropInfo BooleanProp(std::string name, std::function<bool(TPersistent&)> get,
                      std::function<void(TPersistent&, bool)> set) {
  return EnumProp(
      std::move(name), {"False", "True"},
      [get = std::move(get)](TPersistent& o) { return get(o) ? 1 : 0; },
      [set = std::move(set)](TPersistent& o, int v) { set(o, v != 0); });
}

TPropInfo SetProp(std::string name, std::vector<std::string> identifiers,
                  std::function<uint32_t(TPersistent&)> get,
                  std::function<void(TPersistent&, uint32_t)> set) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = tkSet;
  p.Identifiers = std::move(identifiers);
  p.GetOrd = [get = std::move(get)](TPersistent& o) { return int64_t{get(o)}; };
  p.SetOrd = [set = std::move(set)](TPersistent& o, int64_t v) {
    set(o, static_cast<uint32_t>(v));
  };
  return p;
}

TPropInfo StringProp(std::string name, std::function<std::string(TPersistent&)> get,
                     std::function<void(TPersistent&, const std::string&)> set) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = tkString;
  p.GetStr = std::move(get);
  p.SetStr = std::move(set);
  return p;
}

TPropInfo ObjectProp(std::string name, std::function<TPersistent*(TPersistent&)> get) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = tkClass;
  p.GetObject = std::move(get);
  return p;
}

TPropInfo EventProp(std::string name) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = tkMethod;
  return p;
}

TComponent::TComponent(TComponentOwner* owner, std::string name)
    : FOwner(owner), FName(std::move(name)) {
  if (FOwner) FOwner->Insert(this);
}

TComponent::~TComponent() {
  if (FOwner) FOwner->Remove(this);
}

TComponentOwner::~TComponentOwner() {
  // Components that outlive their window no longer have an owner to tell.
  for (TComponent* c : FComponents) c->FOwner = nullptr;
}

TComponent* TComponentOwner::FindComponent(std::string_view name) const {
  for (TComponent* c : FComponents)
    if (SameText(c->Name(), name)) return c;
  return nullptr;
}

void TComponentOwner::AddObserver(IComponentObserver* observer) {
  FObservers.push_back(observer);
}

void TComponentOwner::RemoveObserver(IComponentObserver* observer) {
  std::erase(FObservers, observer);
}

void TComponentOwner::Insert(TComponent* component) {
  FComponents.push_back(component);
}

void TComponentOwner::Remove(TComponent* component) {
  std::erase(FComponents, component);
  // A copy: an observer may remove itself while it is told.
  const std::vector<IComponentObserver*> observers = FObservers;
  for (IComponentObserver* o : observers) o->ComponentRemoved(component);
}

}  // namespace zel
