#pragma once
// TVyHugeFile: a file of any size read in records of a fixed block size through 64-bit
// positions, with a page-aligned read buffer of its own. Opening retries for a while when
// another process holds the file; every failed system call becomes an EVyHugeFile that names
// the operation, the file, the error code and the system's text for it.

#include <cstdint>
#include <string>

#include "base/Exception.h"
#include "fileio/VySet.h"
#include "platform/FileApi.h"
#include "platform/WaitObject.h"

namespace zel {

class EVyHugeFile : public Exception {
 public:
  using Exception::Exception;
};

enum TVyFileOpenOption { vfoBuffered, vfoLockBuffer, vfoCloseOnEof, vfoCanCreate };
using TVyFileOpenOptions = TVySet<TVyFileOpenOption>;

enum TVyFileOpenResult { vfrOk, vfrLocked, vfrError };

// Share mode meaning "read sharing for pure readers, none otherwise".
constexpr DWORD VY_DEFAULT_SHARE_MODE = 0xFFFF;
constexpr uint32_t VY_DEFAULT_BUFFER_SIZE = 0x10000;

class TVyHugeFile {
 public:
  TVyHugeFile(std::string fileName, DWORD flagsAndAttributes, DWORD desiredAccess, DWORD shareMode);
  virtual ~TVyHugeFile();
  TVyHugeFile(const TVyHugeFile&) = delete;
  TVyHugeFile& operator=(const TVyHugeFile&) = delete;

  // Opens for reading and sets the buffer up; raises nothing. A result other than vfrOk leaves
  // the object closed with LastOsError() set.
  TVyFileOpenResult OpenRead(int32_t blockSize, uint32_t bufferSize, uint32_t lockTimeout,
                             uint32_t retryDelay, TVyFileOpenOptions options,
                             const TWaitObject* waitObject);
  void Close();
  bool IsOpen() const { return FIsOpen; }

  // Reads up to count blocks; at the end of the file fewer are transferred.
  void BlockRead(void* buffer, uint32_t count, uint32_t& transferred);
  // Reads exactly count blocks or raises.
  void BlockReadUnsafe(void* buffer, uint32_t count);
  int64_t FileSize();
  int64_t FilePos();
  void Seek(int64_t position);

  const std::string& FileName() const { return FFileName; }
  DWORD LastOsError() const { return FLastOsError; }
  uint32_t BufferSize() const { return FBufferSize; }
  bool HasBuffer() const { return FBuffer != nullptr; }
  int32_t BlockSize() const { return FBlockSize; }
  // Operating-system reads and seeks made so far; tells buffered work from system calls.
  uint64_t OsCallCount() const { return FOsCalls; }

 protected:
  virtual int64_t CachedFileSize();
  // Bytes from offset to the size the file had when it was opened.
  uint64_t LeftAtOpen(int64_t offset);
  // NOLINTNEXTLINE(bugprone-reserved-identifier): the unit's established member name
  virtual void _Seek(int64_t position, bool force);
  virtual TVyFileOpenResult OpenHandle(int32_t blockSize, bool forReading, uint32_t lockTimeout,
                                       uint32_t retryDelay, const TWaitObject* waitObject);
  virtual void AllocBuffer();
  virtual void CheckHandle();
  virtual uint64_t BufferedRead(uint8_t* dest, uint64_t n);
  virtual bool Flush();
  virtual void FreeBuffer();
  virtual void InitReadMode();
  virtual bool AtPhysicalEnd();
  virtual void RoundToPageSize();
  virtual void CheckOsResult(bool success, const char* operation);

  DWORD EffectiveShareMode() const;
  [[noreturn]] void Raise(const char* format, int helpContext) const;
  // Re-raises the current exception as an EVyHugeFile (help context 1000) unless it is one.
  [[noreturn]] static void RethrowAsHugeFile();

  int32_t FBlockSize = 1;
  uint8_t* FBuffer = nullptr;
  bool FBuffered = false;
  uint32_t FBufferSize = 0;
  int64_t FBufFileOffset = 0;
  int64_t FFilePos = 0;
  uint32_t FBufOffset = 0;
  uint32_t FBufFill = 0;
  bool FWriteMode = false;
  int64_t FCachedSize = -1;
  bool FCanCreate = false;
  bool FCloseOnEof = false;
  bool FAtPhysicalEnd = false;
  bool FCompressed = false;
  DWORD FDesiredAccess;
  DWORD FShareMode;
  bool FNoBuffering;
  DWORD FFlagsAndAttributes;
  bool FClosedOnEof = false;
  HANDLE FHandle = INVALID_HANDLE_VALUE;
  bool FIsOpen = false;
  uint32_t FSizeAtClose = 0;
  bool FLockBuffer = false;
  std::string FFileName;
  bool FReadMode = false;
  bool FShareModeSet;
  DWORD FLastOsError = 0;

 private:
  size_t FAllocatedSize = 0;
  uint64_t FOsCalls = 0;
};

}  // namespace zel
