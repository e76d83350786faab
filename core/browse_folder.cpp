#include "core/browse_folder.h"

#include "core/errors.h"
#include "core/file_utils.h"
#include "core/mixer_config.h"
#include "platform/system.h"

bool AcceptAudioFolderText(const std::string& folder) {
  if (folder.empty()) {
    ShowInformation("Please enter an audio path.");
    return false;
  }
  if (!MixerConfig::FitsAudioFolder(folder)) {
    // A longer path cannot be stored; cutting it would name another folder.
    ShowInformation("The audio path is too long.  Please choose a folder whose path has at most " +
                    std::to_string(MixerConfig::kAudioFolderSize - 1) + " characters.");
    return false;
  }
  return true;
}

int CBrowseFolderDialog::GoBrowse(std::string& folder, bool mustBeWritable) {
  platform::FolderBrowser* browser = platform::Os().folderBrowser;
  if (!browser) return 0;
  for (;;) {
    auto chosen = browser->Browse("Please Select an Audio Path:", folder);
    if (!chosen) return 0;
    // Folder names keep their case: on this system two spellings are two folders.
    if (*chosen == "/") {
      ShowInformation(
          "We recommend that you use a folder instead of a root direcotry.\n"
          "Feel free to click 'Browse' to make a change.");
    }
    if (mustBeWritable && !IsFolderWritable(*chosen)) {
      ShowInformation("The choosen directory is not writeable.  Please choose a directory that can be written to.");
      if (!platform::Os().interactive) return 0;
      continue;
    }
    folder = *chosen;
    return 1;
  }
}
