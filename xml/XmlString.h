#pragma once
// A 16-byte string for the document's names and values. Up to 15 characters live inline; a
// longer string either borrows storage from its document's character arena (what the parser
// makes, freed with the document) or owns a heap block (what callers assign). Copies always
// own their storage, so a copy may outlive the document it came from.

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

namespace zel {

class TXmlString {
 public:
  static constexpr size_t kInlineMax = 15;

  TXmlString() { SetInlineEmpty(); }
  TXmlString(std::string_view s) { InitOwned(s); }  // NOLINT: implicit like std::string
  TXmlString(const char* s) { InitOwned(std::string_view(s)); }
  TXmlString(const std::string& s) { InitOwned(std::string_view(s)); }
  TXmlString(const TXmlString& o) { InitOwned(o.View()); }
  TXmlString(TXmlString&& o) noexcept {
    std::memcpy(FRaw, o.FRaw, sizeof FRaw);
    o.SetInlineEmpty();
  }
  ~TXmlString() { Release(); }

  TXmlString& operator=(std::string_view s);
  TXmlString& operator=(const char* s) { return *this = std::string_view(s); }
  TXmlString& operator=(const std::string& s) { return *this = std::string_view(s); }
  // NOLINTNEXTLINE(bugprone-unhandled-self-assignment): the view is copied before the old goes
  TXmlString& operator=(const TXmlString& o) { return *this = o.View(); }
  TXmlString& operator=(TXmlString&& o) noexcept {
    if (this != &o) {
      Release();
      std::memcpy(FRaw, o.FRaw, sizeof FRaw);
      o.SetInlineEmpty();
    }
    return *this;
  }

  // A string whose characters stay where they are (a NUL must follow them); the owner of
  // that storage keeps it alive for as long as this string refers to it.
  static TXmlString Borrowed(const char* p, size_t n);

  size_t size() const { return IsInline() ? kInlineMax - Tag() : Heap().Len; }
  bool empty() const { return size() == 0; }
  const char* data() const { return IsInline() ? FRaw : Heap().Ptr; }
  const char* c_str() const { return data(); }
  std::string_view View() const { return std::string_view(data(), size()); }
  operator std::string_view() const { return View(); }  // NOLINT
  std::string str() const { return std::string(View()); }

  friend bool operator==(const TXmlString& a, std::string_view b) { return a.View() == b; }
  friend bool operator==(const TXmlString& a, const TXmlString& b) { return a.View() == b.View(); }
  friend bool operator==(const TXmlString& a, const std::string& b) { return a.View() == b; }
  friend bool operator==(const TXmlString& a, const char* b) {
    return a.View() == std::string_view(b);
  }
  friend std::ostream& operator<<(std::ostream& os, const TXmlString& s) { return os << s.View(); }
  friend std::string operator+(const std::string& a, const TXmlString& b) {
    return a + std::string(b.View());
  }
  friend std::string operator+(const TXmlString& a, const std::string& b) {
    return std::string(a.View()) + b;
  }

 private:
  // Inline: FRaw[0..14] hold the characters, FRaw[15] holds 15 - length (so a full inline
  // string ends in a NUL). Out of line: FRaw[15] is kHeapOwned or kHeapBorrowed.
  static constexpr uint8_t kHeapOwned = 0xFE;
  static constexpr uint8_t kHeapBorrowed = 0xFF;
  struct HeapRep {
    const char* Ptr;
    uint32_t Len;
  };

  uint8_t Tag() const { return static_cast<uint8_t>(FRaw[15]); }
  bool IsInline() const { return Tag() <= kInlineMax; }
  HeapRep Heap() const {
    HeapRep h;
    std::memcpy(&h.Ptr, FRaw, sizeof h.Ptr);
    std::memcpy(&h.Len, FRaw + 8, sizeof h.Len);
    return h;
  }
  void SetHeap(const char* p, size_t n, uint8_t tag) {
    const uint32_t len = static_cast<uint32_t>(n);
    std::memcpy(FRaw, &p, sizeof p);
    std::memcpy(FRaw + 8, &len, sizeof len);
    FRaw[15] = static_cast<char>(tag);
  }
  void SetInline(std::string_view s) {
    std::memset(FRaw, 0, sizeof FRaw);
    if (!s.empty()) std::memcpy(FRaw, s.data(), s.size());
    FRaw[15] = static_cast<char>(kInlineMax - s.size());
  }
  void SetInlineEmpty() {
    FRaw[0] = 0;
    FRaw[15] = static_cast<char>(kInlineMax);
  }
  void InitOwned(std::string_view s);
  void Release() {
    if (Tag() == kHeapOwned) ReleaseOwned();
  }
  void ReleaseOwned();

  alignas(8) char FRaw[16];
};

static_assert(sizeof(TXmlString) == 16);

}  // namespace zel
