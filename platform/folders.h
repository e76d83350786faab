#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Where the program lives and where its data goes.
class Folders {
 public:
  virtual ~Folders() = default;
  // The full file name of the running program; empty when it cannot be read.
  virtual std::string ExecutablePath() = 0;
  // The folder for the program's writable files (configuration, presets): beside
  // the program when that folder is writable, else the user's configuration folder.
  virtual std::string WritableDataFolder() = 0;
  // The read-only data file of this name: beside the program, else in the installed
  // share folder; empty when neither has it.
  virtual std::string FindDataFile(const std::string& name) = 0;
  virtual std::string HomeFolder() = 0;
};

// The real folders of this process.
class SystemFolders : public Folders {
 public:
  std::string ExecutablePath() override;
  std::string WritableDataFolder() override;
  std::string FindDataFile(const std::string& name) override;
  std::string HomeFolder() override;
  // Puts the writable files into this folder instead.
  void SetWritableDataFolder(std::string folder) { m_dataOverride = std::move(folder); }

 private:
  std::string m_dataOverride;
};

// Folders fixed by a test or by an option.
class FixedFolders : public Folders {
 public:
  FixedFolders(std::string executablePath, std::string dataFolder, std::string homeFolder)
      : m_executable(std::move(executablePath)), m_data(std::move(dataFolder)), m_home(std::move(homeFolder)) {}
  std::string ExecutablePath() override { return m_executable; }
  std::string WritableDataFolder() override { return m_data; }
  std::string FindDataFile(const std::string& name) override;
  std::string HomeFolder() override { return m_home; }

 private:
  std::string m_executable, m_data, m_home;
};

// Free bytes for an unprivileged user on the file system holding path.
std::optional<uint64_t> FreeDiskSpace(const std::string& path);

// The folder part of a file name, without the trailing slash ("/" for a file in the root).
std::string FolderOf(const std::string& fileName);

// The value of an environment variable; fallback when it is unset or empty.
std::string EnvironmentValue(const char* name, const std::string& fallback = {});
// The user's home folder ($HOME, or the root).
std::string UserHomeFolder();

}  // namespace platform
