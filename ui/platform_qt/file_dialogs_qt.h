#pragma once

#include "platform/file_dialogs.h"

namespace ui {

// The file dialogs of Qt.
class QtFileDialogs : public platform::FileDialogs {
 public:
  std::optional<std::string> GetOpenFileName(const std::string& title, const std::string& folder,
                                             const std::string& filters) override;
  std::optional<std::string> GetSaveFileName(const std::string& title, const std::string& folder,
                                             const std::string& filters, const std::string& defaultExtension) override;
};

}  // namespace ui
