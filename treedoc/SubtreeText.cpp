#include "treedoc/SubtreeText.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "base/Exception.h"
#include "base/UpdateGuard.h"
#include "treedoc/XMLSave.h"
#include "treedoc/ZelXMLTree.h"

namespace zel {

std::string SubtreeXMLText(const TTreeNode& node) {
  TTreeView scratch;
  TTreeNode* root = scratch.AddChild(nullptr, "clipboard");  // stands for the file name
  scratch.Attach(scratch.CopySubtree(node), root, nullptr);
  std::string text;
  BuildXMLText(scratch, text, nullptr, nullptr);
  return text;
}

void ReadXMLText(const std::string& text, TTreeView& into) {
  // The reader reads files: the text goes through a private one.
  std::string name = (std::filesystem::temp_directory_path() / "zel-text-XXXXXX").string();
  const int fd = ::mkstemp(name.data());
  if (fd < 0) throw Exception("The text cannot be read: no temporary file.");
  const TScopeExit remove([&] { ::unlink(name.c_str()); });
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += size_t(n);
  }
  ::close(fd);
  if (done < text.size()) throw Exception("The text cannot be read: the temporary file is full.");
  TZelXMLTree reader;
  reader.SetTreeView(&into);
  reader.LoadFromFile(name);
}

}  // namespace zel
