#pragma once
// Test helpers: a temporary folder that removes itself, writing bytes to a file, a child
// process that holds a file open without sharing, and another program's lock.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "platform/FileApi.h"

namespace zel::test {

class TTempDir {
 public:
  TTempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zeltest.XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    FPath = tmpl;
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
  }
  std::string File(const std::string& name) const { return FPath + "/" + name; }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

inline void WriteBytes(const std::string& fileName, const std::string& bytes) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + fileName);
}

inline std::string ReadBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A child process opens the file with the given share mode and keeps it open until the object
// goes; the constructor returns once the child holds the file.
class THeldFile {
 public:
  explicit THeldFile(const std::string& fileName, DWORD shareMode = 0) {
    int ready[2], release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) throw std::runtime_error("pipe failed");
    FPid = fork();
    if (FPid < 0) throw std::runtime_error("fork failed");
    if (FPid == 0) {
      close(ready[0]);
      close(release[1]);
      const HANDLE h = CreateFile(fileName, GENERIC_READ, shareMode, OPEN_EXISTING, 128);
      const char ok = h != INVALID_HANDLE_VALUE ? '1' : '0';
      if (write(ready[1], &ok, 1) != 1) _exit(2);
      char c;
      while (read(release[0], &c, 1) > 0) {
      }
      _exit(0);  // the lock goes with the process
    }
    close(ready[1]);
    close(release[0]);
    FRelease = release[1];
    char ok = '0';
    const bool got = read(ready[0], &ok, 1) == 1;
    close(ready[0]);
    if (!got || ok != '1') {
      Release();
      throw std::runtime_error("the child could not open " + fileName);
    }
  }
  ~THeldFile() { Release(); }
  void Release() {
    if (FPid <= 0) return;
    close(FRelease);
    int status;
    waitpid(FPid, &status, 0);
    FPid = -1;
  }

 private:
  pid_t FPid = -1;
  int FRelease = -1;
};

// The lock that another program takes on a file or folder it may only read (flock works
// between open files, within one process too), held until Release or the end of the object.
class THeldLock {
 public:
  explicit THeldLock(const std::string& path) : FFd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (FFd < 0 || flock(FFd, LOCK_EX | LOCK_NB) != 0)
      throw std::runtime_error("cannot lock " + path);
  }
  ~THeldLock() { Release(); }
  THeldLock(const THeldLock&) = delete;
  THeldLock& operator=(const THeldLock&) = delete;
  void Release() {
    if (FFd >= 0) close(FFd);
    FFd = -1;
  }

 private:
  int FFd;
};

}  // namespace zel::test
