#include "platform/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t wrote = write(fd, bytes, size);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    bytes += wrote;
    size -= static_cast<size_t>(wrote);
  }
  return true;
}

}  // namespace

bool ReplaceFile(const std::string& path, const void* data, size_t size, std::string& error) {
  std::vector<char> side(path.begin(), path.end());
  const char suffix[] = ".new-XXXXXX";
  side.insert(side.end(), suffix, suffix + sizeof suffix);
  const int fd = mkostemp(side.data(), O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  // mkostemp makes the file private; a replaced file gets the usual permissions.
  const mode_t mask = umask(0);
  umask(mask);
  bool done = fchmod(fd, 0666 & ~mask) == 0 && WriteAll(fd, static_cast<const char*>(data), size) && fsync(fd) == 0;
  int failure = done ? 0 : errno;
  if (close(fd) != 0 && done) {
    done = false;
    failure = errno;
  }
  if (done && rename(side.data(), path.c_str()) != 0) {
    done = false;
    failure = errno;
  }
  if (!done) {
    unlink(side.data());
    error = std::strerror(failure ? failure : EIO);
    return false;
  }
  // The rename reaches the disk with its folder.
  const int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return true;
}

}  // namespace platform
