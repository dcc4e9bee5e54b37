#pragma once
// What the fuzz targets share: private scratch files per process, and the outline of a tree
// as one comparable string.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "outline/TreeView.h"

namespace zelfuzz {

// A folder of this process's own under the system's temporary folder, made by mkdtemp (mode
// 0700, a name nobody can foresee) and removed when the process ends: nothing another user
// plants there can redirect a write, even when the targets run as root.
inline const std::string& ScratchFolder() {
  struct TFolder {
    std::string Path;
    TFolder() {
      const char* dir = std::getenv("TMPDIR");
      std::string tmpl =
          std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/zelfuzz-XXXXXX";
      if (::mkdtemp(tmpl.data()) == nullptr) {
        std::perror("zelfuzz: scratch folder");
        std::abort();
      }
      Path = tmpl;
    }
    ~TFolder() {
      std::error_code ec;
      std::filesystem::remove_all(Path, ec);
    }
  };
  static const TFolder folder;
  return folder.Path;
}

// A new empty file in the scratch folder, made by mkstemp; tag only names it for a reader.
inline std::string ScratchFile(const char* tag) {
  std::string path = ScratchFolder() + "/" + tag + "-XXXXXX.xml";
  const int fd = ::mkstemps(path.data(), 4);
  if (fd < 0) {
    std::perror("zelfuzz: scratch file");
    std::abort();
  }
  ::close(fd);
  return path;
}

// Replaces the file's bytes; never follows a link put in its place.
inline bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return ::close(fd) == 0 && done == size;
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
