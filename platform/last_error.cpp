#include "platform/last_error.h"

#include <cerrno>
#include <cstring>

namespace platform {

int GetLastError() {
  return errno;
}

void SetLastError(int code) {
  errno = code;
}

std::string SystemErrorText(int code) {
  char buffer[256] = {};
  // The GNU strerror_r returns its text, which need not be the buffer.
  const char* text = strerror_r(code, buffer, sizeof buffer);
  return text ? text : "";
}

}  // namespace platform
