#include "settings/PropStorage.h"

#include <strings.h>
#include <algorithm>
#include <map>

#include "base/StrUtils.h"
#include "settings/IniFile.h"

namespace zel {

bool ParseStoredItem(std::string_view item, std::string& component, std::string& property) {
  const size_t dot = item.find('.');
  if (dot == std::string_view::npos) return false;
  component = Trim(item.substr(0, dot));
  property = Trim(item.substr(dot + 1));
  return !component.empty() && !property.empty();
}

void ResolveStoredProps(const TComponentOwner& owner, TStoredProps& list, bool fromOwner) {
  std::string component, property;
  std::erase_if(list, [&](TStoredProp& entry) {
    if (!ParseStoredItem(entry.Text, component, property)) return true;
    if (fromOwner) {
      entry.Component = owner.FindComponent(component);
    } else if (entry.Component) {
      entry.Text = entry.Component->Name() + "." + property;
    }
    return entry.Component == nullptr;
  });
}

TPropInfoList::TPropInfoList(TPersistent& object) {
  for (const TPropInfo& p : object.PublishedProps())
    if (p.Kind != tkMethod) FList.push_back(&p);
  std::stable_sort(FList.begin(), FList.end(), [](const TPropInfo* a, const TPropInfo* b) {
    return strcasecmp(a->Name.c_str(), b->Name.c_str()) < 0;
  });
}

const TPropInfo* TPropInfoList::Find(std::string_view name) const {
  for (const TPropInfo* p : FList)
    if (SameText(p->Name, name)) return p;
  return nullptr;
}

std::string TPropsStorage::ReadString(const std::string& section, const std::string& key,
                                      const std::string& def) {
  return OnReadString ? OnReadString(section, key, def) : std::string();
}

void TPropsStorage::WriteString(const std::string& section, const std::string& key,
                                const std::string& value) {
  if (OnWriteString) OnWriteString(section, key, value);
}

void TPropsStorage::EraseSection(const std::string& section) {
  if (OnEraseSection) OnEraseSection(section);
}

std::string TPropsStorage::GetItemName(const std::string& propName) {
  return Prefix + propName;
}

std::unique_ptr<TPropsStorage> TPropsStorage::CreateInfoStorage() {
  auto nested = std::make_unique<TPropsStorage>();
  nested->Section = Section;
  nested->OnReadString = OnReadString;
  nested->OnWriteString = OnWriteString;
  nested->OnEraseSection = OnEraseSection;
  return nested;
}

template <typename Each>
void TPropsStorage::ForEachEntry(const TComponentOwner& owner, TStoredProps& list, Each&& each) {
  ResolveStoredProps(owner, list, false);
  std::map<TComponent*, TPropInfoList> infos;
  try {
    for (const TStoredProp& entry : list) infos.try_emplace(entry.Component, *entry.Component);
  } catch (const std::exception&) {
    return;
  }
  std::string component, property;
  for (const TStoredProp& entry : list) {
    ParseStoredItem(entry.Text, component, property);
    AObject = entry.Component;
    Prefix = entry.Component->Name() + "_";
    if (const TPropInfo* prop = infos.at(entry.Component).Find(property)) each(*prop);
  }
}

void TPropsStorage::StoreProperties(const TComponentOwner& owner, TStoredProps& list) {
  ForEachEntry(owner, list, [this](const TPropInfo& p) { StoreProperty(p); });
}

void TPropsStorage::LoadProperties(const TComponentOwner& owner, TStoredProps& list) {
  ForEachEntry(owner, list, [this](const TPropInfo& p) { LoadProperty(p); });
}

// Hands each property of an object-valued property's object to `each` with the reader and
// writer for that object; nothing for no object or for a component, which is stored elsewhere.
template <typename Each>
void TPropsStorage::ForEachNested(const TPropInfo& prop, Each&& each) {
  TPersistent* object = prop.GetObject ? prop.GetObject(*AObject) : nullptr;
  if (!object || dynamic_cast<TComponent*>(object)) return;
  std::unique_ptr<TPropsStorage> nested = CreateInfoStorage();
  nested->AObject = object;
  nested->Prefix = GetItemName(prop.Name);
  const TPropInfoList props(*object);
  for (int i = 0; i < props.Count(); ++i) each(*nested, props[i]);
}

std::string TPropsStorage::ValueText(const TPropInfo& prop) {
  switch (prop.Kind) {
    case tkInteger:
      return std::to_string(prop.GetOrd(*AObject));
    case tkEnumeration: {
      const int64_t ord = prop.GetOrd(*AObject);
      if (ord < 0 || ord >= static_cast<int64_t>(prop.Identifiers.size())) return std::string();
      return prop.Identifiers[static_cast<size_t>(ord)];
    }
    case tkSet: {
      const int64_t bits = prop.GetOrd(*AObject);
      std::string text = "[";
      for (size_t i = 0; i < prop.Identifiers.size() && i < 32; ++i) {
        if (!(bits & (int64_t{1} << i))) continue;
        if (text.size() > 1) text += ',';
        text += prop.Identifiers[i];
      }
      return text + "]";
    }
    case tkString:
      return prop.GetStr(*AObject);
    case tkClass:
    case tkMethod:
      break;
  }
  return std::string();
}

void TPropsStorage::ApplyText(const TPropInfo& prop, const std::string& text) {
  switch (prop.Kind) {
    case tkInteger: {
      int v = 0;  // stays 0 for a text that is not an integer
      TryStrToInt(text, v);
      prop.SetOrd(*AObject, v);
      break;
    }
    case tkEnumeration:
      for (size_t i = 0; i < prop.Identifiers.size(); ++i)
        if (SameText(prop.Identifiers[i], text)) {
          prop.SetOrd(*AObject, static_cast<int64_t>(i));
          break;
        }
      break;
    case tkSet: {
      int64_t bits = 0;
      size_t pos = 0;
      const auto isSeparator = [](char c) { return c == ' ' || c == ',' || c == '[' || c == ']'; };
      while (pos < text.size()) {
        while (pos < text.size() && isSeparator(text[pos])) ++pos;
        const size_t start = pos;
        while (pos < text.size() && !isSeparator(text[pos])) ++pos;
        const std::string_view word(text.data() + start, pos - start);
        for (size_t i = 0; i < prop.Identifiers.size() && i < 32 && !word.empty(); ++i)
          if (SameText(prop.Identifiers[i], word)) bits |= int64_t{1} << i;
      }
      prop.SetOrd(*AObject, bits);
      break;
    }
    case tkString:
      prop.SetStr(*AObject, text);
      break;
    case tkClass:
    case tkMethod:
      break;
  }
}

void TPropsStorage::StoreProperty(const TPropInfo& prop) {
  if (prop.Kind == tkClass) {
    ForEachNested(prop, [](TPropsStorage& nested, const TPropInfo& p) { nested.StoreProperty(p); });
    return;
  }
  const std::string text = ValueText(prop);
  if (text.empty() && prop.Kind != tkString) return;
  WriteString(Section, GetItemName(prop.Name), Trim(text));
}

void TPropsStorage::LoadProperty(const TPropInfo& prop) {
  try {
    if (prop.Kind == tkClass) {
      ForEachNested(prop,
                    [](TPropsStorage& nested, const TPropInfo& p) { nested.LoadProperty(p); });
      return;
    }
    std::string text = ValueText(prop);
    if (!text.empty() || prop.Kind == tkString)
      text = Trim(ReadString(Section, GetItemName(prop.Name), text));
    ApplyText(prop, text);
  } catch (const std::exception&) {
    // A value that cannot be applied leaves the property as it was.
  }
}

}  // namespace zel
