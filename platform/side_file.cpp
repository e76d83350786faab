#include "platform/side_file.h"

#include "platform/folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>
#include <algorithm>

namespace platform {

namespace {

constexpr const char* kSideMarker = ".saving.";
constexpr size_t kSuffixDigits = 8;
constexpr uint64_t kWriteBehindBytes = 4 << 20;

std::string NameOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SidePrefix(const std::string& target) {
  return "." + NameOf(target) + kSideMarker;
}

std::string RandomSuffix() {
  uint32_t value = 0;
  if (getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) {
    static uint32_t counter = 0;
    value = static_cast<uint32_t>(getpid()) * 2654435761u + ++counter;
  }
  char text[kSuffixDigits + 1];
  std::snprintf(text, sizeof text, "%08x", value);
  return text;
}

}  // namespace

SideFile::~SideFile() {
  if (!m_keep) Discard();
}

SideFile::SideFile(SideFile&& other) noexcept
    : m_path(std::move(other.m_path)),
      m_target(std::move(other.m_target)),
      m_fd(other.m_fd),
      m_keep(other.m_keep),
      m_written(other.m_written),
      m_writtenBack(other.m_writtenBack) {
  other.m_path.clear();
  other.m_fd = -1;
}

SideFile& SideFile::operator=(SideFile&& other) noexcept {
  if (this != &other) {
    if (!m_keep) Discard();
    m_path = std::move(other.m_path);
    m_target = std::move(other.m_target);
    m_fd = other.m_fd;
    m_keep = other.m_keep;
    m_written = other.m_written;
    m_writtenBack = other.m_writtenBack;
    other.m_path.clear();
    other.m_fd = -1;
  }
  return *this;
}

bool SideFile::Create(const std::string& target) {
  Discard();
  m_target = target;
  m_keep = false;
  m_written = m_writtenBack = 0;
  const std::string folder = FolderOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = folder + "/" + SidePrefix(target) + RandomSuffix();
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      m_fd = fd;
      m_path = path;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  errno = EEXIST;
  return false;
}

bool SideFile::Write(const void* data, size_t count) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (count > 0) {
    ssize_t put = write(m_fd, bytes, count);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (put == 0) {
      errno = ENOSPC;
      return false;
    }
    bytes += put;
    count -= static_cast<size_t>(put);
    m_written += static_cast<uint64_t>(put);
  }
  // What is written goes on to the disk while the rest is produced, so that Finish's
  // flush waits for the last piece alone. A failure here shows at that flush.
  if (m_written - m_writtenBack >= kWriteBehindBytes) {
    sync_file_range(m_fd, static_cast<off_t>(m_writtenBack), static_cast<off_t>(m_written - m_writtenBack),
                    SYNC_FILE_RANGE_WRITE);
    m_writtenBack = m_written;
  }
  return true;
}

SideFile::CopyResult SideFile::CopyFrom(std::FILE* source, uint64_t count, const std::function<void(size_t)>& step,
                                        uint64_t& copied) {
  constexpr size_t kBlock = 128 * 1024;
  std::vector<uint8_t> block(kBlock);
  copied = 0;
  while (copied < count) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(block.size(), count - copied));
    const size_t got = std::fread(block.data(), 1, want, source);
    if (got == 0) return std::ferror(source) ? CopyResult::kReadFailed : CopyResult::kSourceEnded;
    if (!Write(block.data(), got)) return CopyResult::kWriteFailed;
    copied += got;
    if (step) step(got);
  }
  return CopyResult::kDone;
}

bool SideFile::Finish() {
  if (m_fd < 0) {
    errno = EBADF;
    return false;
  }
  bool synced = fsync(m_fd) == 0;
  int syncError = errno;
  // close releases the descriptor even when it fails.
  bool closed = close(m_fd) == 0;
  m_fd = -1;
  if (!synced) errno = syncError;
  return synced && closed;
}

bool SideFile::Publish() {
  if (m_path.empty() || rename(m_path.c_str(), m_target.c_str()) != 0) return false;
  m_path.clear();
  return true;
}

void SideFile::Discard() {
  int saved = errno;
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
  if (!m_path.empty()) unlink(m_path.c_str());
  m_path.clear();
  errno = saved;
}

bool IsSideFileName(const std::string& target, const std::string& name) {
  const std::string prefix = SidePrefix(target);
  if (name.size() != prefix.size() + kSuffixDigits || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

void RemoveSideFiles(const std::string& target) {
  const std::string folder = FolderOf(target);
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (!IsSideFileName(target, name)) continue;
    std::string path = folder + "/" + name;
    struct stat info {};
    // Only plain files of our own pattern: a link of that name is removed as a
    // link, never followed.
    if (lstat(path.c_str(), &info) == 0 && (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode))) unlink(path.c_str());
  }
  closedir(dir);
}

bool SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = fsync(fd) == 0;
  int error = errno;
  close(fd);
  if (!synced) errno = error;
  return synced;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}

}  // namespace platform
