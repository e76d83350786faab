#pragma once

#include <string>

// The audio-folder picker: the system's folder browser, with the advice against a
// root folder and, when mustBeWritable is set, a retry until the folder is writable.
// Whether a typed audio folder can be kept: not empty, and short enough for the
// configuration record. Tells the user why not.
bool AcceptAudioFolderText(const std::string& folder);

class CBrowseFolderDialog {
 public:
  // 1 with the chosen folder in folder, 0 when the user cancelled.
  static int GoBrowse(std::string& folder, bool mustBeWritable);
};
