#include "core/folder_dialog.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/system.h"

namespace {

std::string EntryName(size_t index) {
  return "Folder" + std::to_string(index);
}

// A folder the user can open and list.
bool IsAccessible(const std::string& folder) {
  std::error_code error;
  return std::filesystem::is_directory(folder, error) && access(folder.c_str(), R_OK | X_OK) == 0;
}

}  // namespace

std::vector<std::string> CXFolderDialog::LoadHistory() {
  std::vector<std::string> history;
  platform::SettingsStore* store = platform::Os().settings;
  if (!store) return history;
  for (size_t i = 0; i < kHistorySize; ++i) {
    std::optional<std::string> folder = store->GetString(kHistorySection, EntryName(i));
    if (!folder || folder->empty()) break;
    history.push_back(*folder);
  }
  return history;
}

void CXFolderDialog::AddToHistory(const std::string& folder) {
  platform::SettingsStore* store = platform::Os().settings;
  if (!store || folder.empty()) return;
  std::vector<std::string> history = LoadHistory();
  std::erase(history, folder);
  history.insert(history.begin(), folder);
  if (history.size() > kHistorySize) history.resize(kHistorySize);
  for (size_t i = 0; i < kHistorySize; ++i) {
    if (i < history.size()) {
      store->SetString(kHistorySection, EntryName(i), history[i]);
    } else {
      store->Remove(kHistorySection, EntryName(i));
    }
  }
}

std::optional<std::string> CXFolderDialog::Choose(const std::string& startFolder) {
  platform::FolderBrowser* browser = platform::Os().folderBrowser;
  if (!browser) return std::nullopt;
  std::string start = startFolder;
  for (;;) {
    std::optional<std::string> chosen = browser->Browse("Select Folder", start, LoadHistory());
    if (!chosen) return std::nullopt;
    if (IsAccessible(*chosen)) {
      AddToHistory(*chosen);
      return chosen;
    }
    if (platform::MessageBoxes* messages = platform::Os().messages) {
      messages->Show("The folder '" + *chosen + "' isn't accessible.", platform::kProgramCaption,
                     platform::MessageIcon::Warning, platform::MessageButtons::Ok);
    }
    // Where nobody can choose again, the refusal is the answer.
    if (!platform::Os().interactive) return std::nullopt;
    start = *chosen;
  }
}
