#pragma once

#include <optional>
#include <string>

namespace platform {

// The system's folder browser.
class FolderBrowser {
 public:
  virtual ~FolderBrowser() = default;
  // The folder the user chose, or nothing when the browser was cancelled.
  virtual std::optional<std::string> Browse(const std::string& title, const std::string& startFolder) = 0;
};

}  // namespace platform
