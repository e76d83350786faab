#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/folders.h"
#include "platform/shell.h"

extern char** environ;

namespace platform {

namespace {

std::vector<std::string> SplitFolders(const std::string& list) {
  std::vector<std::string> folders;
  std::stringstream stream(list);
  for (std::string folder; std::getline(stream, folder, ':');) {
    if (!folder.empty()) folders.push_back(folder);
  }
  return folders;
}

// The data folders in the order they are searched: the user's first.
std::vector<std::string> DataFolders() {
  std::vector<std::string> folders{EnvironmentValue("XDG_DATA_HOME", UserHomeFolder() + "/.local/share")};
  for (const std::string& folder : SplitFolders(EnvironmentValue("XDG_DATA_DIRS", "/usr/local/share:/usr/share")))
    folders.push_back(folder);
  return folders;
}

// The value of key in [group] of an ini-style file, if the file has it.
std::string IniValue(const std::string& path, const std::string& group, const std::string& key) {
  std::ifstream file(path);
  bool inGroup = false;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      inGroup = line == "[" + group + "]";
    } else if (inGroup && line.compare(0, key.size() + 1, key + "=") == 0) {
      return line.substr(key.size() + 1);
    }
  }
  return {};
}

// The .desktop file of a launcher id, searched through the data folders.
std::string DesktopFile(const std::string& id) {
  for (const std::string& folder : DataFolders()) {
    std::string path = folder + "/applications/" + id;
    if (std::filesystem::is_regular_file(path)) return path;
  }
  return {};
}

// Launcher ids for a MIME type, in the order the desktop prefers them: the defaults of
// the mimeapps.list files, then the launchers that say they handle it.
std::vector<std::string> HandlerIds(const std::string& mimeType) {
  std::vector<std::string> lists{EnvironmentValue("XDG_CONFIG_HOME", UserHomeFolder() + "/.config") + "/mimeapps.list"};
  for (const std::string& folder : SplitFolders(EnvironmentValue("XDG_CONFIG_DIRS", "/etc/xdg")))
    lists.push_back(folder + "/mimeapps.list");
  for (const std::string& folder : DataFolders()) lists.push_back(folder + "/applications/mimeapps.list");
  std::vector<std::pair<std::string, std::string>> sources;
  for (const std::string& list : lists) sources.emplace_back(list, "Default Applications");
  for (const std::string& folder : DataFolders())
    sources.emplace_back(folder + "/applications/mimeinfo.cache", "MIME Cache");

  std::vector<std::string> ids;
  for (const auto& [path, group] : sources) {
    std::stringstream value(IniValue(path, group, mimeType));
    for (std::string id; std::getline(value, id, ';');) {
      if (!id.empty()) ids.push_back(id);
    }
  }
  return ids;
}

bool IsPlaceholder(const std::string& argument) {
  return argument == "%u" || argument == "%U" || argument == "%f" || argument == "%F";
}

}  // namespace

int LocalTargetFailure(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file(path);
  if (!std::filesystem::exists(file.parent_path(), error)) return kShellPathNotFound;
  if (!std::filesystem::exists(file, error)) return kShellFileNotFound;
  if (access(path.c_str(), R_OK) != 0) return kShellAccessDenied;
  return kShellNoAssociation;
}

std::vector<std::string> HandlerArguments(const std::string& command, const std::string& target) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false, inArgument = false;
  for (char c : command) {
    if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if (c == ' ' && !quoted) {
      if (inArgument) arguments.push_back(current);
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) arguments.push_back(current);
  if (arguments.empty()) return arguments;
  std::vector<std::string> kept{arguments[0]};
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (IsPlaceholder(arguments[i])) {
      kept.push_back(target);
      return kept;
    }
    // Other field codes (%i, %c, %k) stand for nothing here.
    if (!(arguments[i].size() == 2 && arguments[i][0] == '%')) kept.push_back(arguments[i]);
  }
  return {arguments[0], target};
}

int DesktopShell::Open(const std::string& target) {
  pid_t child = 0;
  const char* argv[] = {"xdg-open", target.c_str(), nullptr};
  int spawned = posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char* const*>(argv), environ);
  if (spawned == ENOMEM) return kShellNoMemory;
  if (spawned != 0) return kShellNoAssociation;
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return kShellOutOfResources;
  // xdg-open exits with 0 when the handler started and 2 when the file is missing.
  switch (WEXITSTATUS(status)) {
    case 0: return kShellOpened;
    case 2: return kShellFileNotFound;
    default: return kShellNoAssociation;
  }
}

std::string DesktopShell::HandlerCommand(const std::string& mimeType) {
  for (const std::string& id : HandlerIds(mimeType)) {
    std::string file = DesktopFile(id);
    std::string command = file.empty() ? std::string() : IniValue(file, "Desktop Entry", "Exec");
    if (!command.empty()) return command;
  }
  return {};
}

bool DesktopShell::Run(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return false;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  // The program runs on; a thread reaps it so that it leaves no zombie behind.
  std::thread([child] {
    int status = 0;
    waitpid(child, &status, 0);
  }).detach();
  return true;
}

}  // namespace platform
