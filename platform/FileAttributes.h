#pragma once
// A file's extended attributes, POSIX ACLs among them (they are the attribute
// "system.posix_acl_access"), handed on to the file that replaces it.

#include <string>

namespace zel {

// Gives the open file fd exactly the extended attributes of the file at path: the ones it has
// and path has not go. False, with errno set, when one cannot be read, set or removed: the new
// file would then not carry what the old one did. A file system without extended attributes
// has none to hand on.
bool CopyFileAttributes(const std::string& path, int fd);

}  // namespace zel
