#pragma once
// Where a writer's text goes, piece by piece, so that a long text never has to be built whole.

#include <algorithm>
#include <string>
#include <string_view>

namespace zel {

// Indentation stops growing at this level: deeper lines get the indentation of this one, so
// that an indented text stays linear in the size of the document however deep it goes. The
// levels themselves come from the markup, never from the indentation.
constexpr size_t kMaxIndentLevel = 256;

inline size_t IndentLevel(size_t level) {
  return std::min(level, kMaxIndentLevel);
}

class TTextSink {
 public:
  virtual ~TTextSink() = default;
  virtual void Write(std::string_view text) = 0;
  // count copies of c: indentation, which a sink may write without building it.
  virtual void WriteRepeated(char c, size_t count) = 0;
};

// Collects the text in a string.
class TStringSink : public TTextSink {
 public:
  explicit TStringSink(std::string& out) : FOut(out) {}
  void Write(std::string_view text) override { FOut.append(text); }
  void WriteRepeated(char c, size_t count) override { FOut.append(count, c); }

 private:
  std::string& FOut;
};

}  // namespace zel
