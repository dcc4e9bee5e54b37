#pragma once
// Byte streams: an abstract stream with a position, and a stream held in memory.

#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to count bytes at the position; returns how many were read.
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Writes count bytes at the position; returns how many were written.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Moves the position and returns the new one.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
  void WriteString(std::string_view s) { Write(s.data(), static_cast<int64_t>(s.size())); }
  // Everything from the position to the end.
  std::string ReadRest();
};

class TMemoryStream : public TStream {
 public:
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(FData.size()); }

  void Clear() {
    FData.clear();
    FData.shrink_to_fit();
    FPosition = 0;
  }
  const std::string& Data() const { return FData; }
  // Takes the bytes over without a copy; the position goes to 0.
  void Assign(std::string data) {
    FData = std::move(data);
    FPosition = 0;
  }

 private:
  std::string FData;
  int64_t FPosition = 0;
};

}  // namespace zel
