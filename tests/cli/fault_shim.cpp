// A preloaded library that makes one file call of a process fail, or kills the
// process at that call, so that a test can stop a save at every step in turn.
//
// TW_FAULT_PATHS    colon-separated folders; calls on files inside them count
// TW_FAULT_EXCLUDE  colon-separated folders inside those whose calls do not count
// TW_FAULT_AT       the counted call that fails (1 is the first); 0 or unset: none
// TW_FAULT_MODE     ENOSPC, EIO or EACCES (the call fails with that error) or KILL
//                   (SIGKILL)
// TW_FAULT_LOG      a file that receives one line per counted call
// TW_FAULT_NOSYNC   when set, fsync and fdatasync count but do not wait for the disk
//                   (a run that meets no power loss needs no flush, and runs faster)
// TW_FAULT_ARM      counting starts with the first call that creates a file whose
//                   path holds this text (default ".saving.", a side file), so that
//                   start-up and the reading of a project before a save do not count
// TW_FAULT_START    instead of TW_FAULT_ARM: counting starts after the first call on
// TW_FAULT_STOP     a path that holds START and ends at the next one on a path that
//                   holds STOP, so that a run's commands can mark where they begin
//                   and end by reading two files
// The calls are open, openat, read, pread, write, pwrite, fsync, fdatasync, close,
// rename, renameat, unlink, unlinkat and mkdir, and the stream calls fopen, fread,
// fwrite, fflush and fclose; calls on a descriptor or a stream count when it was
// opened inside the folders. A stream call that fails marks the stream's error.

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Settings {
  std::vector<std::string> paths, excluded;
  std::string arm = ".saving.";
  std::string start, stop;
  long at = 0;
  int error = 0;  // 0: kill
  int log = -1;
  bool noSync = false;
};

std::vector<std::string> SplitList(const char* text) {
  std::vector<std::string> parts;
  std::string part;
  for (const char* c = text ? text : ""; *c; ++c) {
    if (*c == ':') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += *c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

const Settings& Config() {
  static const Settings settings = [] {
    Settings s;
    s.paths = SplitList(std::getenv("TW_FAULT_PATHS"));
    s.excluded = SplitList(std::getenv("TW_FAULT_EXCLUDE"));
    if (const char* arm = std::getenv("TW_FAULT_ARM")) s.arm = arm;
    if (const char* start = std::getenv("TW_FAULT_START")) s.start = start;
    if (const char* stop = std::getenv("TW_FAULT_STOP")) s.stop = stop;
    s.noSync = std::getenv("TW_FAULT_NOSYNC") != nullptr;
    const char* at = std::getenv("TW_FAULT_AT");
    s.at = at ? std::atol(at) : 0;
    const char* mode = std::getenv("TW_FAULT_MODE");
    const std::string name = mode ? mode : "";
    s.error = name == "EIO" ? EIO : name == "EACCES" ? EACCES : name == "KILL" ? 0 : ENOSPC;
    if (const char* log = std::getenv("TW_FAULT_LOG")) {
      s.log = static_cast<int>(syscall(SYS_open, log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    }
    return s;
  }();
  return settings;
}

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}
std::map<int, std::string>& Watched() {
  static std::map<int, std::string> watched;
  return watched;
}
std::map<std::FILE*, std::string>& WatchedStreams() {
  static std::map<std::FILE*, std::string> watched;
  return watched;
}
bool g_armed = false;
bool g_stopped = false;
long g_count = 0;

bool Under(const std::string& path, const std::string& folder) {
  return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                            path[folder.size()] == '/');
}

bool Counted(const char* path) {
  if (!path) return false;
  const Settings& s = Config();
  bool inside = false;
  for (const std::string& folder : s.paths) inside = inside || Under(path, folder);
  for (const std::string& folder : s.excluded) inside = inside && !Under(path, folder);
  return inside;
}

std::string FdPath(int fd) {
  std::lock_guard<std::mutex> guard(Lock());
  auto found = Watched().find(fd);
  return found == Watched().end() ? std::string() : found->second;
}

// Counts one call; true when this is the call to fail (errno is then set). A call
// that is to be killed never returns.
bool Strike(const char* name, const std::string& path, bool creates) {
  std::lock_guard<std::mutex> guard(Lock());
  const Settings& s = Config();
  if (!s.start.empty()) {
    if (g_stopped) return false;
    if (!g_armed) {
      g_armed = path.find(s.start) != std::string::npos;
      return false;
    }
    if (!s.stop.empty() && path.find(s.stop) != std::string::npos) {
      g_stopped = true;
      return false;
    }
  } else if (creates && path.find(s.arm) != std::string::npos) {
    g_armed = true;
  }
  if (!g_armed) return false;
  const long number = ++g_count;
  if (s.log >= 0) {
    std::string line = std::to_string(number) + " " + name + " " + path + "\n";
    syscall(SYS_write, s.log, line.data(), line.size());
  }
  if (number != s.at) return false;
  if (s.error == 0) kill(getpid(), SIGKILL);
  errno = s.error;
  return true;
}

template <typename F>
F Real(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void Watch(int fd, const char* path) {
  if (fd < 0) return;
  std::lock_guard<std::mutex> guard(Lock());
  Watched()[fd] = path;
}

int OpenCommon(const char* name, int dirfd, const char* path, int flags, mode_t mode) {
  using OpenAt = int (*)(int, const char*, int, ...);
  static OpenAt real = Real<OpenAt>("openat");
  if (!Counted(path)) return real(dirfd, path, flags, mode);
  if (Strike(name, path, (flags & O_CREAT) != 0)) return -1;
  int fd = real(dirfd, path, flags, mode);
  Watch(fd, path);
  return fd;
}

std::string StreamPath(std::FILE* stream) {
  std::lock_guard<std::mutex> guard(Lock());
  auto found = WatchedStreams().find(stream);
  return found == WatchedStreams().end() ? std::string() : found->second;
}

// Marks a stream as a failed read or write would (glibc's error flag), so that
// ferror tells the caller.
void MarkStreamError(std::FILE* stream) {
  constexpr int kErrorSeen = 0x20;  // _IO_ERR_SEEN
  stream->_flags |= kErrorSeen;
}

std::FILE* OpenStream(const char* name, const char* path, const char* how) {
  using FOpen = std::FILE* (*)(const char*, const char*);
  static FOpen real = Real<FOpen>(name);
  if (!Counted(path)) return real(path, how);
  if (Strike("fopen", path, how && (std::strchr(how, 'w') || std::strchr(how, 'a')))) return nullptr;
  std::FILE* stream = real(path, how);
  if (stream) {
    std::lock_guard<std::mutex> guard(Lock());
    WatchedStreams()[stream] = path;
  }
  return stream;
}

mode_t ModeOf(int flags, va_list args) {
  return (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = ModeOf(flags, args);
  va_end(args);
  return OpenCommon("open", AT_FDCWD, path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = ModeOf(flags, args);
  va_end(args);
  return OpenCommon("open", AT_FDCWD, path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = ModeOf(flags, args);
  va_end(args);
  return OpenCommon("openat", dirfd, path, flags, mode);
}

ssize_t read(int fd, void* data, size_t count) {
  static auto real = Real<ssize_t (*)(int, void*, size_t)>("read");
  std::string path = FdPath(fd);
  if (!path.empty() && Strike("read", path, false)) return -1;
  return real(fd, data, count);
}

ssize_t pread(int fd, void* data, size_t count, off_t offset) {
  static auto real = Real<ssize_t (*)(int, void*, size_t, off_t)>("pread");
  std::string path = FdPath(fd);
  if (!path.empty() && Strike("pread", path, false)) return -1;
  return real(fd, data, count, offset);
}

ssize_t pread64(int fd, void* data, size_t count, off_t offset) {
  return pread(fd, data, count, offset);
}

std::FILE* fopen(const char* path, const char* how) {
  return OpenStream("fopen", path, how);
}

std::FILE* fopen64(const char* path, const char* how) {
  return OpenStream("fopen64", path, how);
}

size_t fread(void* data, size_t size, size_t count, std::FILE* stream) {
  static auto real = Real<size_t (*)(void*, size_t, size_t, std::FILE*)>("fread");
  std::string path = StreamPath(stream);
  if (!path.empty() && Strike("fread", path, false)) {
    MarkStreamError(stream);
    return 0;
  }
  return real(data, size, count, stream);
}

size_t fwrite(const void* data, size_t size, size_t count, std::FILE* stream) {
  static auto real = Real<size_t (*)(const void*, size_t, size_t, std::FILE*)>("fwrite");
  std::string path = StreamPath(stream);
  if (!path.empty() && Strike("fwrite", path, false)) {
    MarkStreamError(stream);
    return 0;
  }
  return real(data, size, count, stream);
}

int fflush(std::FILE* stream) {
  static auto real = Real<int (*)(std::FILE*)>("fflush");
  std::string path = stream ? StreamPath(stream) : std::string();
  if (!path.empty() && Strike("fflush", path, false)) {
    MarkStreamError(stream);
    return EOF;
  }
  return real(stream);
}

int fclose(std::FILE* stream) {
  static auto real = Real<int (*)(std::FILE*)>("fclose");
  std::string path = StreamPath(stream);
  if (path.empty()) return real(stream);
  {
    std::lock_guard<std::mutex> guard(Lock());
    WatchedStreams().erase(stream);
  }
  // A close that fails has released the stream all the same.
  bool fail = Strike("fclose", path, false);
  int saved = errno;
  int result = real(stream);
  if (fail) {
    errno = saved;
    return EOF;
  }
  return result;
}

ssize_t write(int fd, const void* data, size_t count) {
  static auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
  std::string path = FdPath(fd);
  if (!path.empty() && Strike("write", path, false)) return -1;
  return real(fd, data, count);
}

ssize_t pwrite(int fd, const void* data, size_t count, off_t offset) {
  static auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
  std::string path = FdPath(fd);
  if (!path.empty() && Strike("pwrite", path, false)) return -1;
  return real(fd, data, count, offset);
}

ssize_t pwrite64(int fd, const void* data, size_t count, off_t offset) {
  return pwrite(fd, data, count, offset);
}

int fsync(int fd) {
  static auto real = Real<int (*)(int)>("fsync");
  std::string path = FdPath(fd);
  if (!path.empty() && Strike("fsync", path, false)) return -1;
  return Config().noSync ? 0 : real(fd);
}

int fdatasync(int fd) {
  static auto real = Real<int (*)(int)>("fdatasync");
  std::string path = FdPath(fd);
  if (!path.empty() && Strike("fdatasync", path, false)) return -1;
  return Config().noSync ? 0 : real(fd);
}

int close(int fd) {
  static auto real = Real<int (*)(int)>("close");
  std::string path = FdPath(fd);
  if (path.empty()) return real(fd);
  {
    std::lock_guard<std::mutex> guard(Lock());
    Watched().erase(fd);
  }
  // A close that fails has released the descriptor all the same.
  bool fail = Strike("close", path, false);
  int saved = errno;
  int result = real(fd);
  if (fail) {
    errno = saved;
    return -1;
  }
  return result;
}

int rename(const char* from, const char* to) {
  static auto real = Real<int (*)(const char*, const char*)>("rename");
  if ((Counted(from) || Counted(to)) && Strike("rename", to, false)) return -1;
  return real(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
  static auto real = Real<int (*)(int, const char*, int, const char*)>("renameat");
  if ((Counted(from) || Counted(to)) && Strike("renameat", to, false)) return -1;
  return real(fromDir, from, toDir, to);
}

int unlink(const char* path) {
  static auto real = Real<int (*)(const char*)>("unlink");
  if (Counted(path) && Strike("unlink", path, false)) return -1;
  return real(path);
}

int unlinkat(int dirfd, const char* path, int flags) {
  static auto real = Real<int (*)(int, const char*, int)>("unlinkat");
  if (Counted(path) && Strike("unlinkat", path, false)) return -1;
  return real(dirfd, path, flags);
}

int mkdir(const char* path, mode_t mode) {
  static auto real = Real<int (*)(const char*, mode_t)>("mkdir");
  if (Counted(path) && Strike("mkdir", path, false)) return -1;
  return real(path, mode);
}

}  // extern "C"
