#include "platform/process_owner.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/side_file.h"

namespace platform {

namespace {

// Field 22 of /proc/PID/stat: the process's start time in clock ticks since boot.
// Empty when there is no such process.
std::string StartTime(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return {};
  // The command name (field 2) is in parentheses and may hold blanks; fields after it
  // are counted from its closing parenthesis.
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return {};
  std::istringstream fields(line.substr(close + 1));
  std::string field;
  for (int n = 3; n <= 22 && fields >> field; ++n) {
    if (n == 22) return field;
  }
  return {};
}

}  // namespace

bool WriteOwnerFile(const std::string& path) {
  const std::string pid = std::to_string(getpid());
  const std::string text = pid + " " + StartTime(pid) + "\n";
  SideFile side;
  return side.Create(path) && side.Write(text.data(), text.size()) && side.Finish() && side.Publish();
}

bool OwnerIsRunning(const std::string& path) {
  std::ifstream file(path);
  std::string pid, started;
  if (!(file >> pid >> started) || pid.find_first_not_of("0123456789") != std::string::npos) return false;
  return StartTime(pid) == started;
}

}  // namespace platform
