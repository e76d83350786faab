#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// The system's folder browser.
class FolderBrowser {
 public:
  virtual ~FolderBrowser() = default;
  // The folder the user chose, or nothing when the browser was cancelled. recent holds
  // folders chosen before, most recent first, for the browser to offer.
  virtual std::optional<std::string> Browse(const std::string& title, const std::string& startFolder,
                                            const std::vector<std::string>& recent = {}) = 0;
};

}  // namespace platform
