#pragma once
// Replacing a file without ever leaving it half written. The new bytes go to an unnamed
// temporary file in the target's folder (a named one where the file system has no unnamed
// files), reach the disk, and only then take the target's place; a save that dies half way
// leaves nothing behind. Memory stays bounded: the bytes are written out as they come.

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

#include "base/TextSink.h"

namespace zel {

class TSafeFileWriter : public TTextSink {
 public:
  // Opens nothing yet: the first write that fills the buffer, or Commit, does.
  explicit TSafeFileWriter(std::string fileName);
  // Discards whatever was written unless Commit succeeded.
  ~TSafeFileWriter() override;
  TSafeFileWriter(const TSafeFileWriter&) = delete;
  TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

  void Write(std::string_view data) override;
  void WriteRepeated(char c, size_t count) override;
  // Puts the written bytes in the target's place.
  //
  // Target kinds: a regular file or a new name is replaced by rename, keeping the old file's
  // permission bits and, where the process may set it, its owner; a symbolic link keeps
  // pointing at the file (a dangling one creates its target); a character device (a terminal,
  // /dev/null) is written in place; a folder, FIFO, socket or block device fails.
  //
  // Fails with EFCreateError "Cannot create file \"%s\". %s" when the target cannot be
  // written, EWriteError "Cannot write file \"%s\". %s" when writing fails; the target is
  // then unchanged.
  //
  // While the bytes go to the disk, which for hundreds of MB takes a while, `waiting` (when
  // given) is called every few milliseconds: a window keeps answering.
  void Commit(const std::function<void()>& waiting = nullptr);
  // Off: the new name is not forced to the disk, saving one flush; after a power loss the
  // target may then hold its old bytes, never a mix.
  void SetSyncFolder(bool on) { FSyncFolder = on; }

 private:
  void Open();
  void Flush();
  void WriteOut(const char* data, size_t size);
  void Discard() noexcept;
  [[noreturn]] void CreateFailed(int err) const;
  [[noreturn]] void CreateFailed(const char* reason) const;
  [[noreturn]] void WriteFailed(int err);

  std::string FFileName;
  std::string FBuffer;
  std::string FRun;       // one block of the character that long runs are written from
  std::string FTarget;    // the file that takes the new bytes: a link's target
  std::string FTempName;  // a named temporary file, where one had to be made
  int FDirFd = -1;        // the target's folder
  int FFd = -1;
  bool FInPlace = false;  // a device: written directly
  bool FUnnamed = false;  // FFd is an unnamed temporary file
  bool FCommitted = false;
  bool FSyncFolder = true;
  mode_t FMode = 0;
};

// Test seam for a disk that fills up half way: the nth step that changes the disk from now on
// (each write, then the flush, the link of an unnamed file and the rename of a commit; 1 for
// the next) and every one after it fail with err, in every writer; 0 turns the fault off.
void SetSafeFileWriteFault(int nth, int err);

// Writes data to the file by the rules above.
void WriteFileAtomically(const std::string& fileName, std::string_view data,
                         bool syncFolder = true);

}  // namespace zel
