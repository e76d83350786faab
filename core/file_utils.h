#pragma once

#include <ctime>
#include <string>

// The folder of the running program, without a trailing slash. Returns 1, or 0 when
// the program's file name holds no folder (the name is then returned whole); "/" is
// the result when the file name cannot be read.
int GetProgramPath(std::string& programPath);

// Forms folder/baseName.extension, creates (or empties) that file and closes it.
// Returns 1, or 0 after reporting the failure.
int OurGetTempFileName(std::string& path, const std::string& folder, const std::string& baseName,
                       const std::string& extension);

// An operation's scratch file in the session folder: made by Create and deleted when
// the operation ends, whatever its result, so that no run leaves scratch files behind.
class ScratchFile {
 public:
  ScratchFile() = default;
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  // OurGetTempFileName into this file's path: 1, or 0 after reporting the failure.
  int Create(const std::string& folder, const std::string& baseName, const std::string& extension);
  const std::string& Path() const { return m_path; }
  // Leaves the file in place: the user was told to find a result there.
  void Keep() { m_path.clear(); }

 private:
  std::string m_path;
};

// 1 when a file can be created in the folder (tested with an unnamed file, or where the
// filesystem has none, a write_check_N file that is removed again), else 0. A folder text
// ending in "/" gets no second separator.
int IsFolderWritable(const std::string& folder);

// The 14 digits of a local time: year, month, day, hour, minute, second.
std::string MakeSessionStamp(std::time_t when);

// Creates a new folder parent/name, or parent/name_1, name_2, ... when that exists,
// so that it is never shared; its path, or empty when none could be made.
std::string MakeNewFolder(const std::string& parent, const std::string& name);

// Whether path names a file that can be read. When it does not, tells the user plainly
// ("Cannot open <path>. The file does not exist.") and returns false.
bool CheckFileToOpen(const std::string& path);

// folder/name, without doubling a separator the folder already ends in.
std::string JoinPath(const std::string& folder, const std::string& name);
