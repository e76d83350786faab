#pragma once

#include <string>

namespace platform {

// The operating system's last error: errno and its text.
int GetLastError();
void SetLastError(int code);
// The system's own text for an error code.
std::string SystemErrorText(int code);

}  // namespace platform
