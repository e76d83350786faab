#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The files of a saved project and the commit file that makes a save of them
// happen whole or not at all (platform/file_commit.h).

// folder/trackN.pcm or folder/trackN.pek.
std::string ProjectTrackFile(const std::string& folder, int track, const char* extension);

// How reading the start of a project file went.
enum class ProjectFileRead { kRead, kCannotOpen, kNotAFile, kReadFailed };

// Reads up to size bytes of the file at path into bytes (resized to what was read).
// Only a regular file is read: a FIFO or a device would block or never end. When it
// cannot be opened or read, errno tells why.
ProjectFileRead ReadProjectFileBytes(const std::string& path, size_t size, std::vector<uint8_t>& bytes);

// The commit file of a save of the project file projectPath: hidden, beside it.
std::string SaveCommitPath(const std::string& projectPath);

// Finishes a save of projectPath that stopped after it was decided, and removes
// the side files of one that stopped before. A commit file that names anything but
// the project file and track files is not carried out. Returns 1, or 0 after a
// report (under where) when a decided save could not be finished.
int FinishInterruptedSave(const std::string& projectPath, const char* where);
