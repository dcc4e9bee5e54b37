#pragma once
// What identifies a file's content without reading it: plain code, which the recovery file
// stores and the disk watch compares.

#include <sys/stat.h>

#include <string>

namespace zel {

struct TFileStamp {
  bool Exists = false;
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  timespec Modified{};

  // Anything but a regular file in its place (a folder, a FIFO) counts as no file.
  static TFileStamp Of(const std::string& name) {
    struct stat st {};
    TFileStamp s;
    if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return s;
    s.Exists = true;
    s.Device = st.st_dev;
    s.Inode = st.st_ino;
    s.Size = st.st_size;
    s.Modified = st.st_mtim;
    return s;
  }
  // A file that exists and matches no file: what "not known" compares as.
  static TFileStamp Unknown() {
    TFileStamp s;
    s.Exists = true;
    s.Size = -1;
    return s;
  }
  bool operator==(const TFileStamp& o) const {
    return Exists == o.Exists && Device == o.Device && Inode == o.Inode && Size == o.Size &&
           Modified.tv_sec == o.Modified.tv_sec && Modified.tv_nsec == o.Modified.tv_nsec;
  }
};

}  // namespace zel
