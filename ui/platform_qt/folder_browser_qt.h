#pragma once

#include "platform/folder_browser.h"

namespace ui {

// The desktop's folder chooser, over the window the user works in.
class QtFolderBrowser : public platform::FolderBrowser {
 public:
  std::optional<std::string> Browse(const std::string& title, const std::string& startFolder) override;
};

}  // namespace ui
