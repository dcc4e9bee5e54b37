#pragma once
// Replacing a file without ever leaving it half written: the new bytes go to a temporary file
// beside it, reach the disk, and only then take the target's place.

#include <string>
#include <string_view>

namespace zel {

// Fails with EFCreateError "Cannot create file \"%s\". %s" when the target cannot be written
// (folder missing, no permission, read-only target), and with EWriteError "Cannot write file
// \"%s\". %s" when writing fails; the target is then unchanged and the temporary file gone.
// An existing target keeps its permission bits; a symbolic link keeps pointing at the file.
void WriteFileAtomically(const std::string& fileName, std::string_view data);

}  // namespace zel
