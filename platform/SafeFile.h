#pragma once
// Replacing a file without ever leaving it half written. The new bytes go to an unnamed
// temporary file in the target's folder (a named one where the file system has no unnamed
// files), reach the disk, and only then take the target's place; a save that dies half way
// leaves nothing behind. Where that rename would lose something of the old file, or cannot be
// made, the bytes go to a whole copy first and then into the file itself. Memory stays
// bounded: the bytes are written out as they come.

#include <sys/stat.h>
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
  // Target kinds: a regular file or a new name is replaced by rename; the new file gets the
  // old one's permission bits, owner and group, and extended attributes (POSIX ACLs among
  // them). A file with several hard links, one whose owner or attributes the process cannot
  // give a new file, and one in a folder that takes no new file are written in place instead,
  // after the whole text has reached the disk in a copy beside it (or, for such a folder, in
  // the editor's state folder): a crash while it is written leaves that copy whole, and the
  // copy goes once the file holds the text. A symbolic link keeps pointing at the file (a
  // dangling one creates its target); a character device (a terminal, /dev/null) is written
  // in place; a folder, FIFO, socket or block device fails.
  //
  // Fails with EFCreateError "Cannot create file \"%s\". %s" when the target cannot be
  // written, EWriteError "Cannot write file \"%s\". %s" when writing fails; the target is
  // then unchanged, except when writing it in place fails half way: the message then ends
  // with " The whole new text is kept in \"<copy>\"." and the copy stays.
  //
  // While the bytes go to the disk, which for hundreds of MB takes a while, `waiting` (when
  // given) is called every few milliseconds: a window keeps answering.
  void Commit(const std::function<void()>& waiting = nullptr);
  // Off: the new name is not forced to the disk, saving one flush; after a power loss the
  // target may then hold its old bytes, never a mix.
  void SetSyncFolder(bool on) { FSyncFolder = on; }

 private:
  void Open();
  // A new file in the folder, unnamed where the file system can; false with errno set.
  bool OpenTemporary();
  bool OpenNamed(int folder);
  // Gives the new file the old one's owner and extended attributes; false where it cannot.
  bool TakeOverFrom(const struct stat& old);
  // The bytes go to a whole copy first (beside the target, else in the state folder), then
  // into the target itself, which keeps its links, owner, attributes and ACLs.
  void OpenCopy();
  void Overwrite(const std::function<void()>& waiting);
  // The target is partly written: the copy stays, and the message names it.
  [[noreturn]] void OverwriteFailed(int err);
  int TempFolder() const { return FStateDirFd >= 0 ? FStateDirFd : FDirFd; }
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
  std::string FTempName;  // a named temporary file or copy, in TempFolder()
  std::string FCopyName;  // the copy's whole path
  int FDirFd = -1;        // the target's folder
  int FStateDirFd = -1;   // the state folder, where the copy is there
  int FFd = -1;
  int FOutFd = -1;          // the target, when it is written in place after the copy
  bool FInPlace = false;    // a device: written directly
  bool FOverwrite = false;  // the target is written in place from a copy
  bool FUnnamed = false;    // FFd is an unnamed temporary file
  bool FCommitted = false;
  bool FSyncFolder = true;
  mode_t FMode = 0;
};

// Test seam for a disk that fills up half way: the nth step that changes the disk from now on
// (each write, then the flush, the link of an unnamed file and the rename of a commit, or for
// a file written in place each write into it, its truncation and its flush; 1 for the next) and
// every one after it fail with err, in every writer; 0 turns the fault off.
void SetSafeFileWriteFault(int nth, int err);

// Writes data to the file by the rules above.
void WriteFileAtomically(const std::string& fileName, std::string_view data,
                         bool syncFolder = true);

}  // namespace zel
