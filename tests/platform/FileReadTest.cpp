#include "platform/FileRead.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/TestFiles.h"

namespace zel {
namespace {

using test::TTempDir;
using test::WriteBytes;

// A pattern that shows a misplaced or repeated step.
std::string Pattern(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
  return s;
}

TEST(FileRead, ThePumpSeesEveryStepAndCanStopTheRead) {
  TTempDir dir;
  const std::string name = dir.File("big.bin");
  const std::string bytes = Pattern((size_t{9} << 20) + 123);  // two whole steps and a part
  WriteBytes(name, bytes);

  int calls = 0;
  EXPECT_EQ(ReadFileBytes(name, {nullptr, [&] { return ++calls, false; }}), bytes);
  EXPECT_EQ(calls, 3);

  calls = 0;
  const std::string part = ReadFileBytes(name, {nullptr, [&] { return ++calls >= 2; }});
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(part, bytes.substr(0, size_t{8} << 20));

  EXPECT_EQ(ReadFileBytes(name), bytes);
  WriteBytes(name, "");
  EXPECT_EQ(ReadFileBytes(name, {nullptr, [&] { return ++calls, false; }}), "");
}

}  // namespace
}  // namespace zel
