#include "tests/cli/cli_run.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>

#include "tests/support/temp_folder.h"

namespace {

// Where the project record keeps its folder's name.
constexpr size_t kFolderField = 7;
constexpr size_t kFolderSize = 261;

}  // namespace

int Shell(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

CliRun RunCli(const std::string& folder, const std::string& audio, const std::string& arguments,
              const std::string& environment) {
  const std::string printout = folder + "/printout", messages = folder + "/messages";
  int status = Shell(environment + " HOME=" + Quoted(folder) + " " + Quoted(TRACKWRIGHT_CLI) + " --config-dir " +
                     Quoted(folder) + " --audio-folder " + Quoted(audio) + " " + arguments + " >" +
                     Quoted(printout) + " 2>" + Quoted(messages));
  CliRun run{status, ReadFileBytes(printout), ""};
  run.output = run.printout + ReadFileBytes(messages);
  return run;
}

std::string ProjectFolderOf(const std::string& record) {
  if (record.size() < kFolderField + kFolderSize) return "";
  return record.substr(kFolderField, kFolderSize).c_str();
}

std::string WithoutProjectFolder(std::string record) {
  if (record.size() >= kFolderField + kFolderSize) {
    std::fill(record.begin() + kFolderField, record.begin() + kFolderField + kFolderSize, '\0');
  }
  return record;
}
