#pragma once

#include "platform/folder_browser.h"

namespace ui {

// The desktop's folder chooser, over the window the user works in.
class QtFolderBrowser : public platform::FolderBrowser {
 public:
  // Recent folders appear in the chooser's "Look in" list.
  std::optional<std::string> Browse(const std::string& title, const std::string& startFolder,
                                    const std::vector<std::string>& recent = {}) override;
};

}  // namespace ui
