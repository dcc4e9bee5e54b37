#pragma once
// Reading whole 8-bit files, and the one form of the file errors that every layer reports:
// "Cannot <verb> file \"<name>\". <system text>".

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/Progress.h"

namespace zel {

// The reason given for a name that is a FIFO, a device, a socket or a folder.
inline constexpr const char* kNotRegularFile = "It is not a regular file.";

// "Cannot open file \"a.xml\". No such file or directory" for ("open", "a.xml", ENOENT).
std::string FileErrorMessage(const char* verb, const std::string& fileName, int err);
// The same with the given reason in place of the system's text.
std::string FileErrorMessage(const char* verb, const std::string& fileName, const char* reason);

// Raises EFOpenError "Cannot open file \"%s\". It is not a regular file." when the name
// exists and is a FIFO, a device, a socket or a folder: reading those may block for ever or
// never end. Any other failure is left to the reader that opens the file.
void CheckRegularFile(const std::string& fileName);

// The size of the file of that name, 0 when it cannot be known.
uint64_t FileSizeOrZero(const std::string& fileName);

// Opens a regular file for reading without ever blocking on the open; returns the descriptor
// and its size at open, or raises EFOpenError as above.
int OpenRegularFile(const std::string& fileName, int64_t& size);
// The same without raising: -1, with the system's text (or kNotRegularFile) in reason.
int OpenRegularFile(const std::string& fileName, int64_t& size, std::string& reason);

// Reads a whole regular file; never reads past the size it had when opened, so a file that
// grows while it is read, or whose size lies, still ends (one of size 0, such as those of
// /proc, is read to its end, up to 64 MB). Raises EFOpenError. The progress is
// asked whether to stop after every few megabytes; when it says so the read stops there and
// gives what it has.
std::string ReadFileBytes(const std::string& fileName, const TProgress& progress = {});
// The same for a descriptor from OpenRegularFile with the size it gave; closes it. The step
// is given the bytes read so far.
std::string ReadOpenedFile(int fd, int64_t size, const std::string& fileName,
                           const std::function<bool(std::string_view read)>& step);

// Gives the memory of bytes already read through (a file's text being parsed) back to the
// system, in whole huge pages between the two ends; what they held reads as zeros after.
// Returns where the pages dropped end (from, when none was whole): the next call starts there.
const char* DropReadPages(const char* from, const char* to);

}  // namespace zel
