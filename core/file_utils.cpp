#include "core/file_utils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/errors.h"
#include "platform/system.h"

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

int GetProgramPath(std::string& programPath) {
  platform::Folders* folders = platform::Os().folders;
  std::string exe = folders ? folders->ExecutablePath() : std::string();
  if (exe.empty()) {
    programPath = "/";
    return 1;
  }
  auto slash = exe.find_last_of('/');
  if (slash == std::string::npos) {
    programPath = exe;
    return 0;
  }
  programPath = slash == 0 ? "/" : exe.substr(0, slash);
  return 1;
}

int OurGetTempFileName(std::string& path, const std::string& folder, const std::string& baseName,
                       const std::string& extension) {
  path = JoinPath(folder, baseName + "." + extension);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    ReportError("OurGetTempFileName", "Failed to create temp file: " + path);
    return 0;
  }
  std::fclose(file);
  return 1;
}

bool CheckFileToOpen(const std::string& path) {
  struct stat info {};
  std::string problem;
  if (stat(path.c_str(), &info) != 0) {
    problem =
        (errno == ENOENT || errno == ENOTDIR) ? "The file does not exist." : std::string(std::strerror(errno)) + ".";
  } else if (S_ISDIR(info.st_mode)) {
    problem = "It is a folder, not a file.";
  } else if (access(path.c_str(), R_OK) != 0) {
    problem = std::string("The file cannot be read: ") + std::strerror(errno) + ".";
  }
  if (problem.empty()) return true;
  ShowInformation("Cannot open " + path + ". " + problem);
  return false;
}

ScratchFile::~ScratchFile() {
  if (!m_path.empty()) std::remove(m_path.c_str());
}

int ScratchFile::Create(const std::string& folder, const std::string& baseName, const std::string& extension) {
  return OurGetTempFileName(m_path, folder, baseName, extension);
}

int IsFolderWritable(const std::string& folder) {
  // An empty folder text names no folder; joined with a separator it would test the root.
  if (folder.empty()) return 0;
  // An unnamed file leaves nothing behind in the folder, whatever fails after it.
  const int unnamed = open(folder.c_str(), O_TMPFILE | O_WRONLY, 0600);
  if (unnamed >= 0) {
    close(unnamed);
    return 1;
  }
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return 0;
  // Filesystems without unnamed files (FAT on a memory stick) are tried with a named one.
  for (long counter = 0;; ++counter) {
    std::string name = JoinPath(folder, "write_check_" + std::to_string(counter));
    struct stat info {};
    if (lstat(name.c_str(), &info) == 0) continue;
    if (errno != ENOENT) return 0;  // the folder is missing or cannot be searched
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;  // another process took the name meanwhile
      return 0;
    }
    close(fd);
    unlink(name.c_str());
    return 1;
  }
}

std::string MakeNewFolder(const std::string& parent, const std::string& name) {
  std::string folder = JoinPath(parent, name);
  for (int suffix = 1; mkdir(folder.c_str(), 0755) != 0; ++suffix) {
    if (errno != EEXIST) return {};
    folder = JoinPath(parent, name + "_" + std::to_string(suffix));
  }
  return folder;
}

std::string MakeSessionStamp(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}
