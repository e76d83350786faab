#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

// A file in memory with a path, for readers that take a file name: the fuzz input is
// written to it and read back through the path, with no disk involved.
class MemoryFile {
 public:
  MemoryFile() : m_fd(memfd_create("fuzz", 0)) {
    if (m_fd < 0) std::abort();
  }
  ~MemoryFile() { close(m_fd); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // Replaces the contents.
  void Fill(const uint8_t* data, size_t size) {
    if (ftruncate(m_fd, 0) != 0 || pwrite(m_fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
  }
  std::string Path() const { return "/proc/self/fd/" + std::to_string(m_fd); }

 private:
  int m_fd;
};
