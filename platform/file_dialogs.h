#pragma once

#include <optional>
#include <string>

namespace platform {

// The system's dialogs for choosing a file to open or a name to save under.
// filters lists "Description (*.ext *.ext2)" entries separated by ";;".
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  virtual std::optional<std::string> GetOpenFileName(const std::string& title, const std::string& folder,
                                                     const std::string& filters) = 0;
  // A chosen name without an extension gets defaultExtension ("mix", "wav", ...).
  virtual std::optional<std::string> GetSaveFileName(const std::string& title, const std::string& folder,
                                                     const std::string& filters,
                                                     const std::string& defaultExtension) = 0;
};

}  // namespace platform
