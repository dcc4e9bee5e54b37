#include "fileio/VyHugeF.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "base/StrUtils.h"
#include "platform/Memory.h"
#include "platform/Ticks.h"

namespace zel {

namespace {

constexpr uint64_t kMaxRequest = 0x80000000u;

}  // namespace

TVyHugeFile::TVyHugeFile(std::string fileName, DWORD flagsAndAttributes, DWORD desiredAccess,
                         DWORD shareMode)
    : FDesiredAccess(desiredAccess),
      FShareMode(shareMode),
      FNoBuffering((flagsAndAttributes & FILE_FLAG_NO_BUFFERING) != 0),
      FFlagsAndAttributes(flagsAndAttributes),
      FFileName(std::move(fileName)),
      FShareModeSet(true) {}

TVyHugeFile::~TVyHugeFile() {
  try {
    Close();
  } catch (...) {
    // Nothing can be reported from here; the handle is closed by Close before it can throw.
  }
}

void TVyHugeFile::Raise(const char* format, int helpContext) const {
  throw EVyHugeFile(Format(format, FFileName.c_str()), helpContext);
}

void TVyHugeFile::RethrowAsHugeFile() {
  try {
    throw;
  } catch (const EVyHugeFile&) {
    throw;
  } catch (const Exception& e) {
    throw EVyHugeFile(e.Message(), 1000);
  } catch (const std::exception& e) {
    throw EVyHugeFile(e.what(), 1000);
  }
}

DWORD TVyHugeFile::EffectiveShareMode() const {
  if (FShareModeSet && FShareMode != VY_DEFAULT_SHARE_MODE) return FShareMode;
  return FDesiredAccess == GENERIC_READ ? FILE_SHARE_READ : 0;
}

void TVyHugeFile::CheckOsResult(bool success, const char* operation) {
  if (success) return;
  FLastOsError = GetLastError();
  if (FLastOsError != 0)
    throw EVyHugeFile(
        Format("TVyHugeFile.%s(%s) failed. System Error.  Code: %u.\r\n%s", operation,
               FFileName.c_str(), FLastOsError, SysErrorMessageFor(FLastOsError).c_str()),
        1001);
  throw EVyHugeFile(Format("TVyHugeFile.%s(%s) failed. A call to an OS function failed", operation,
                           FFileName.c_str()),
                    1002);
}

void TVyHugeFile::CheckHandle() {
  if (FHandle == INVALID_HANDLE_VALUE) Raise("TVyHugeFile(%s):File not open!", 1004);
}

TVyFileOpenResult TVyHugeFile::OpenHandle(int32_t blockSize, bool forReading, uint32_t lockTimeout,
                                          uint32_t retryDelay, const TWaitObject* waitObject) {
  if (blockSize <= 0) Raise("TVyHugeFile(%s):BlockSize must be greater than zero!", 1003);
  FBlockSize = blockSize;
  const uint32_t start = GetTickCount();
  // Unsigned subtraction counts a wrapped counter 2^32 on top.
  auto expired = [&] { return lockTimeout == 0 || GetTickCount() - start > lockTimeout; };
  auto locked = [&] {
    return FLastOsError == ERROR_SHARING_VIOLATION || FLastOsError == ERROR_LOCK_VIOLATION;
  };
  const DWORD disposition = forReading ? (FCanCreate ? OPEN_ALWAYS : OPEN_EXISTING) : CREATE_ALWAYS;
  bool signalled = false;
  do {
    FLastOsError = 0;
    SetLastError(0);
    FHandle = CreateFile(FFileName, FDesiredAccess, EffectiveShareMode(), disposition,
                         FFlagsAndAttributes);
    if (FHandle != INVALID_HANDLE_VALUE) {
      FIsOpen = true;
      break;
    }
    FLastOsError = GetLastError();
    if (FLastOsError == 0) FLastOsError = ERROR_GEN_FAILURE;  // a failure must not read as success
    if (locked() && retryDelay > 0 && !expired()) {
      if (waitObject != nullptr)
        signalled = WaitForSingleObject(waitObject, retryDelay) != WAIT_TIMEOUT;
      else
        Sleep(retryDelay);
    }
  } while (locked() && !expired() && !signalled);

  // File compression (FCompressed) has no counterpart here and is never asked for.
  const TVyFileOpenResult result = FLastOsError == 0 ? vfrOk : (locked() ? vfrLocked : vfrError);
  if (result == vfrOk) AllocBuffer();
  return result;
}

TVyFileOpenResult TVyHugeFile::OpenRead(int32_t blockSize, uint32_t bufferSize,
                                        uint32_t lockTimeout, uint32_t retryDelay,
                                        TVyFileOpenOptions options, const TWaitObject* waitObject) {
  try {
    FLastOsError = 0;
    if (FIsOpen && FCloseOnEof) Close();
    if (FIsOpen) {  // opened again: start over at the beginning
      if (!FReadMode) Flush();
      FBuffered = false;
      _Seek(0, true);
      FreeBuffer();
    }
    FBuffered = options.Contains(vfoBuffered);
    FCloseOnEof = FBuffered && options.Contains(vfoCloseOnEof);
    FCanCreate = options.Contains(vfoCanCreate);
    if (FBuffered) {
      FBufferSize = bufferSize;
      FLockBuffer = options.Contains(vfoLockBuffer);
    }
    TVyFileOpenResult result;
    if (FIsOpen) {
      if (blockSize <= 0) Raise("TVyHugeFile(%s):BlockSize must be greater than zero!", 1003);
      FBlockSize = blockSize;
      AllocBuffer();
      result = vfrOk;
    } else {
      result = OpenHandle(blockSize, true, lockTimeout, retryDelay, waitObject);
    }
    if (result != vfrOk) {
      Close();
      return result;
    }
    if (FBuffered) InitReadMode();
    FFilePos = 0;
    FCachedSize = -1;
    CachedFileSize();  // reads never run past the size found now
    FReadMode = true;
    FClosedOnEof = false;
    return vfrOk;
  } catch (...) {
    // A failure after the open (the buffer, say) must not leave the file open and held.
    const DWORD keep = FLastOsError;
    try {
      Close();
    } catch (...) {
    }
    FLastOsError = keep;
    return vfrError;
  }
}

void TVyHugeFile::RoundToPageSize() {
  const uint64_t page = GetPageSize();
  const uint64_t rounded = (uint64_t{FBufferSize} - 1) / page * page + page;
  // Sizes within the last page below 4 GiB keep the largest whole number of pages that fits.
  FBufferSize = static_cast<uint32_t>(rounded <= UINT32_MAX ? rounded : rounded - page);
}

void TVyHugeFile::AllocBuffer() {
  FreeBuffer();
  if (FBufferSize == 0) FBufferSize = VY_DEFAULT_BUFFER_SIZE;
  RoundToPageSize();
  SetLastError(0);
  FBuffer = static_cast<uint8_t*>(VirtualAlloc(FBufferSize));
  CheckOsResult(FBuffer != nullptr, "AllocBuffer");
  FAllocatedSize = FBufferSize;
  if (FLockBuffer) {
    SetLastError(0);
    CheckOsResult(VirtualLock(FBuffer, FAllocatedSize), "AllocBuffer");
  }
}

void TVyHugeFile::FreeBuffer() {
  if (FBuffer == nullptr) return;
  SetLastError(0);
  CheckOsResult(Flush(), "FreeBuffer");
  uint8_t* p = FBuffer;
  const size_t size = FAllocatedSize;
  FBuffer = nullptr;  // gone even if releasing reports a failure
  FAllocatedSize = 0;
  bool ok = true;
  if (FLockBuffer) ok = VirtualUnlock(p, size);
  const bool freed = VirtualFree(p, size);
  CheckOsResult(ok && freed, "FreeBuffer");
}

bool TVyHugeFile::Flush() {
  return true;
}  // only the writing side has data to write

void TVyHugeFile::InitReadMode() {
  FBufOffset = 0;
  FBufFill = 0;
  FBufFileOffset = 0;
  FWriteMode = false;
}

int64_t TVyHugeFile::CachedFileSize() {
  if (FCachedSize < 0) FCachedSize = FileSize();
  return FCachedSize;
}

uint64_t TVyHugeFile::LeftAtOpen(int64_t offset) {
  const int64_t end = CachedFileSize() * FBlockSize;
  return end > offset ? static_cast<uint64_t>(end - offset) : 0;
}

bool TVyHugeFile::AtPhysicalEnd() {
  return FBufFileOffset >= CachedFileSize() * FBlockSize;
}

uint64_t TVyHugeFile::BufferedRead(uint8_t* dest, uint64_t n) {
  if (FWriteMode) Raise("TVyHugeFile(%s):Read while in buffered write mode!", 1007);
  uint64_t delivered = 0;
  const uint32_t available = FBufFill - FBufOffset;
  if (n >= available) {
    std::memcpy(dest, FBuffer + FBufOffset, available);
    delivered += available;
    n -= available;
    dest += available;
    FFilePos = FBufFileOffset;
    // The buffer is used up; its old data must not be handed out again if no refill follows.
    FBufOffset = 0;
    FBufFill = 0;
    if (n >= FBufferSize) {
      const uint64_t m = n / FBufferSize * FBufferSize;
      const uint64_t limit = std::min(m, LeftAtOpen(FBufFileOffset));
      uint64_t got = 0;
      while (got < limit) {  // one request per 2 GiB at most
        const DWORD chunk = static_cast<DWORD>(std::min<uint64_t>(limit - got, kMaxRequest));
        DWORD read = 0;
        SetLastError(0);
        const bool ok = ReadFile(FHandle, dest + got, chunk, &read);
        ++FOsCalls;
        got += read;
        if (!ok) {
          FBufFileOffset += static_cast<int64_t>(got);
          FFilePos = FBufFileOffset;
          // A failed read is an error, not the end of the file.
          CheckOsResult(false, "BlockRead");
        }
        if (read < chunk) break;
      }
      FBufFileOffset += static_cast<int64_t>(got);
      FFilePos = FBufFileOffset;
      delivered += got;
      n -= std::min(n, got);
      dest += got;
      if (got < m) return delivered;
    }
    if (AtPhysicalEnd()) {
      FBufFill = 0;
    } else {
      DWORD read = 0;
      SetLastError(0);
      const auto want =
          static_cast<DWORD>(std::min<uint64_t>(FBufferSize, LeftAtOpen(FBufFileOffset)));
      const bool ok = ReadFile(FHandle, FBuffer, want, &read);
      ++FOsCalls;
      CheckOsResult(ok, "Fetch");
      FBufFill = read;
      FBufFileOffset += read;
    }
  }
  if (n > 0) {
    const uint32_t c = static_cast<uint32_t>(std::min<uint64_t>(n, FBufFill - FBufOffset));
    std::memcpy(dest, FBuffer + FBufOffset, c);
    FBufOffset += c;
    delivered += c;
  }
  FFilePos = FBufFileOffset - FBufFill + FBufOffset;
  return delivered;
}

void TVyHugeFile::BlockRead(void* buffer, uint32_t count, uint32_t& transferred) {
  transferred = 0;
  try {
    CheckHandle();
    const uint64_t bytes = uint64_t{count} * static_cast<uint32_t>(FBlockSize);
    uint64_t got;
    if (FBuffered) {
      got = BufferedRead(static_cast<uint8_t*>(buffer), bytes);
    } else {
      got = 0;
      const uint64_t limit = std::min(bytes, LeftAtOpen(FFilePos));
      while (got < limit) {  // one request per 2 GiB at most
        const DWORD chunk = static_cast<DWORD>(std::min<uint64_t>(limit - got, kMaxRequest));
        DWORD read = 0;
        SetLastError(0);
        const bool ok = ReadFile(FHandle, static_cast<uint8_t*>(buffer) + got, chunk, &read);
        ++FOsCalls;
        FFilePos += read;
        got += read;
        CheckOsResult(ok, "BlockRead");
        if (read < chunk) break;
      }
    }
    transferred = static_cast<uint32_t>(got / static_cast<uint32_t>(FBlockSize));
  } catch (...) {
    RethrowAsHugeFile();
  }
}

void TVyHugeFile::BlockReadUnsafe(void* buffer, uint32_t count) {
  uint32_t transferred = 0;
  BlockRead(buffer, count, transferred);
  if (transferred < count) {
    if (FBuffered) throw EVyHugeFile("Read beyond end of file", 1008);
    SetLastError(ERROR_SUCCESS);  // a short read is no system error: help context 1002
    CheckOsResult(false, "BlockReadUnsafe");
  }
}

int64_t TVyHugeFile::FileSize() {
  try {
    CheckHandle();
    int64_t size = 0;
    SetLastError(0);
    CheckOsResult(GetFileSizeEx(FHandle, &size), "FileSize");
    size = std::max(size, FFilePos);
    return FBlockSize == 1 ? size : size / FBlockSize;
  } catch (...) {
    RethrowAsHugeFile();
  }
}

int64_t TVyHugeFile::FilePos() {
  try {
    CheckHandle();
    return FBlockSize == 1 ? FFilePos : FFilePos / FBlockSize;
  } catch (...) {
    RethrowAsHugeFile();
  }
}

void TVyHugeFile::Seek(int64_t position) {
  try {
    _Seek(position, false);
  } catch (...) {
    RethrowAsHugeFile();
  }
}

void TVyHugeFile::_Seek(int64_t position, bool force) {
  CheckHandle();
  int64_t p = 0;
  if (__builtin_mul_overflow(position, int64_t{FBlockSize}, &p)) {
    SetLastError(ERROR_INVALID_PARAMETER);  // no such position: never wrap to another one
    CheckOsResult(false, FBuffered ? "_Seek" : "Seek");
  }
  if (!FBuffered) {
    SetLastError(0);
    const bool ok = SetFilePointerEx(FHandle, p, nullptr, FILE_BEGIN);
    ++FOsCalls;
    CheckOsResult(ok, "Seek");
  } else if (FWriteMode) {
    Flush();
    SetLastError(0);
    const bool ok = SetFilePointerEx(FHandle, p, nullptr, FILE_BEGIN);
    ++FOsCalls;
    CheckOsResult(ok, "_Seek");
  } else if (!force && FBufFileOffset - FBufFill <= p && p < FBufFileOffset) {
    FBufOffset = static_cast<uint32_t>(p - (FBufFileOffset - FBufFill));
  } else {
    SetLastError(0);
    const bool ok = SetFilePointerEx(FHandle, p, nullptr, FILE_BEGIN);
    ++FOsCalls;
    CheckOsResult(ok, "_Seek");
    FBufFileOffset = p;
    FBufOffset = 0;
    FBufFill = 0;
  }
  FFilePos = p;
}

void TVyHugeFile::Close() {
  if (!FIsOpen) return;
  // The handle is closed and the state cleared even when releasing the buffer fails; the
  // failure is reported afterwards.
  std::exception_ptr failure;
  try {
    FreeBuffer();
  } catch (...) {
    failure = std::current_exception();
  }
  if (FHandle != INVALID_HANDLE_VALUE) {
    CloseHandle(FHandle);
    FHandle = INVALID_HANDLE_VALUE;
  }
  FIsOpen = false;
  FClosedOnEof = false;
  FCloseOnEof = false;
  FReadMode = false;
  if (failure) {
    try {
      std::rethrow_exception(failure);
    } catch (...) {
      RethrowAsHugeFile();
    }
  }
}

}  // namespace zel
