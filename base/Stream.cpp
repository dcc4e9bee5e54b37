#include "base/Stream.h"

#include <algorithm>
#include <cstring>

namespace zel {

std::string TStream::ReadRest() {
  const int64_t pos = Position();
  const int64_t size = Size();
  std::string out;
  if (size > pos) {
    out.resize(static_cast<size_t>(size - pos));
    out.resize(static_cast<size_t>(Read(out.data(), size - pos)));
  }
  return out;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  const int64_t avail = std::max<int64_t>(0, Size() - FPosition);
  const int64_t n = std::min(avail, std::max<int64_t>(0, count));
  if (n > 0) std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  const size_t end = static_cast<size_t>(FPosition + count);
  if (end > FData.size()) FData.resize(end);
  std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
  FPosition += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  if (origin == TSeekOrigin::soCurrent) base = FPosition;
  if (origin == TSeekOrigin::soEnd) base = Size();
  FPosition = std::max<int64_t>(0, base + offset);
  return FPosition;
}

}  // namespace zel
