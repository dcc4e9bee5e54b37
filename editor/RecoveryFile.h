#pragma once
// The recovery file: a document's outline as it was at one moment, with what is needed to give
// it back (its file name, whether it was untitled, the process that wrote it, the file as that
// process last loaded or saved it). Node texts are stored with their lengths, so every text
// comes back byte for byte, whatever it holds. Plain core code: a forked copy of the editor
// writes it without touching Qt.

#include <optional>
#include <string>

#include "base/Progress.h"
#include "editor/FileStamp.h"
#include "outline/TreeView.h"

namespace zel {

struct TRecoveryHeader {
  // An absolute path; empty for an untitled document.
  std::string FileName;
  bool Untitled = false;
  long Pid = 0;
  // The document's change count when the outline was taken.
  unsigned long Change = 0;
  // The file as the writing editor last loaded or saved it; files of older editors lack it.
  bool StampKnown = false;
  TFileStamp Stamp;
};

// Room for the writer below to format in, made before it runs.
struct TRecoveryBuffer {
  static constexpr size_t kSize = size_t{256} << 10;
  char* Data = nullptr;
  TRecoveryBuffer() : Data(new char[kSize]) {}
  ~TRecoveryBuffer() { delete[] Data; }
  TRecoveryBuffer(const TRecoveryBuffer&) = delete;
  TRecoveryBuffer& operator=(const TRecoveryBuffer&) = delete;
};

// Writes the header and the outline of `tree` (texts, levels, expanded flags) to `temp`, a new
// file of mode 0600 that must not exist yet (a stale one is removed first; a link in its place
// is never followed), and renames it over `path`, so `path` always holds a whole file. Safe in
// the forked child of a threaded process: no allocation, no exception, only system calls that
// a signal handler may make. Returns 0 or the errno of the step that failed.
int WriteRecoveryFile(const char* path, const char* temp, const TRecoveryHeader& header,
                      const TTreeView& tree, TRecoveryBuffer& buffer);

// The header alone. Raises Exception "The recovery file \"%s\" is damaged." when it is not one
// (the name field must be an absolute path that is no folder, device or FIFO, and absent for
// an untitled document), or EFOpenError when it cannot be opened or is not a regular file.
// Never blocks on opening.
TRecoveryHeader ReadRecoveryHeader(const std::string& path);
// The header and the outline, which replaces the nodes of `tree`; the same errors. The file is
// read as it goes, never whole: a record that claims more than the file holds is damage. A
// damaged file leaves `tree` as it was. The progress is told the share of the file read and
// asked whether to stop; stopped, the read returns nothing and leaves `tree` as it was. A
// document's outline is read through the document (TOutlineDocument::Recover).
std::optional<TRecoveryHeader> ReadRecoveryFile(TTreeWriteKey key, const std::string& path,
                                                TTreeView& tree, const TProgress& progress = {});

}  // namespace zel
