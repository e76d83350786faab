#include "platform/folders.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace platform {

namespace fs = std::filesystem;

namespace {
bool IsWritableFolder(const std::string& folder) {
  return !folder.empty() && access(folder.c_str(), W_OK | X_OK) == 0 && fs::is_directory(folder);
}

std::string ExistingFile(const fs::path& candidate) {
  std::error_code error;
  return fs::is_regular_file(candidate, error) ? candidate.string() : std::string();
}
}  // namespace

std::string FolderOf(const std::string& fileName) {
  auto slash = fileName.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return fileName.substr(0, slash);
}

std::string SystemFolders::ExecutablePath() {
  std::error_code error;
  fs::path exe = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string() : exe.string();
}

std::string SystemFolders::WritableDataFolder() {
  if (!m_dataOverride.empty()) return m_dataOverride;
  std::string beside = FolderOf(ExecutablePath());
  if (IsWritableFolder(beside)) return beside;
  fs::path folder = fs::path(EnvironmentValue("XDG_CONFIG_HOME", HomeFolder() + "/.config")) / "trackwright";
  std::error_code error;
  fs::create_directories(folder, error);
  return folder.string();
}

std::string SystemFolders::FindDataFile(const std::string& name) {
  fs::path programFolder = FolderOf(ExecutablePath());
  std::string found = ExistingFile(programFolder / name);
  if (found.empty()) found = ExistingFile(programFolder / ".." / "share" / "trackwright" / name);
  return found;
}

std::string SystemFolders::HomeFolder() {
  return UserHomeFolder();
}

std::string UserHomeFolder() {
  return EnvironmentValue("HOME", "/");
}

std::string EnvironmentValue(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

std::string FixedFolders::FindDataFile(const std::string& name) {
  return ExistingFile(fs::path(m_data) / name);
}

std::optional<uint64_t> FreeDiskSpace(const std::string& path) {
  struct statvfs info {};
  if (statvfs(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
}

}  // namespace platform
