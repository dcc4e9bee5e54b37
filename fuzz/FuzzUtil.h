#pragma once
// What the fuzz targets share: a private scratch file per process, and the outline of a tree
// as one comparable string.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "treedoc/TreeView.h"

namespace zelfuzz {

// A file under the system's temporary folder, named after the process so that parallel
// fuzzing jobs never share one.
inline std::string ScratchFile(const char* tag) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/zelfuzz-" + tag + "-" +
         std::to_string(::getpid()) + ".xml";
}

inline bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// Every node below the root (whose text is the file name): its level and its text.
inline std::string OutlineBelowRoot(const zel::TTreeView& tree) {
  std::string out;
  const zel::TTreeNode* root = tree.GetFirstNode();
  if (root == nullptr) return out;
  for (const zel::TTreeNode* n = root->GetNext(); n != nullptr; n = n->GetNext()) {
    out += std::to_string(n->Level());
    out += ' ';
    out += n->Text();
    out += '\n';
  }
  return out;
}

}  // namespace zelfuzz
