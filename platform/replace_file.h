#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Writes a whole small file so that it is either replaced entirely or left as it was:
// the bytes go to a new file with a unique name in the same folder (created with
// O_EXCL, so a planted link is never followed), which is synced and renamed over the
// target, and the folder is synced. On failure, error holds the system's reason and
// no side file is left behind.
bool ReplaceFile(const std::string& path, const void* data, size_t size, std::string& error);

}  // namespace platform
