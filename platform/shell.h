#pragma once

#include <string>

namespace platform {

// Opens documents and links with the desktop's default handler.
class Shell {
 public:
  virtual ~Shell() = default;
  // True when the handler was started.
  virtual bool Open(const std::string& target) = 0;
};

}  // namespace platform
