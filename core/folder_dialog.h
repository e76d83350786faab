#pragma once

#include <optional>
#include <string>
#include <vector>

// "Select Folder": the system's folder chooser with the folders chosen before offered
// again. Up to 20 of them are kept, most recent first, in the per-user settings
// section "FolderHistory". A folder that cannot be entered is reported and the chooser
// comes back.
class CXFolderDialog {
 public:
  static constexpr size_t kHistorySize = 20;
  static constexpr const char* kHistorySection = "FolderHistory";

  // The chosen folder, or nothing when the user cancelled.
  static std::optional<std::string> Choose(const std::string& startFolder);

  static std::vector<std::string> LoadHistory();
  // Puts folder first in the history, dropping an older entry of the same name and
  // whatever falls beyond the limit.
  static void AddToHistory(const std::string& folder);
};
