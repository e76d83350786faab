#pragma once

#include <string>

namespace platform {

// An owner file names the running process that owns a folder: its process id and the
// time the system started it, so that a later process given the same id is not taken
// for the owner.
bool WriteOwnerFile(const std::string& path);
// True while the process the owner file names is running; false for a missing or
// unreadable file and for a process that has ended.
bool OwnerIsRunning(const std::string& path);

}  // namespace platform
