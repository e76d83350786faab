#pragma once

#include <string>

// The audio-folder picker: the system's folder browser, with the advice against a
// root folder and, when mustBeWritable is set, a retry until the folder is writable.
class CBrowseFolderDialog {
 public:
  // 1 with the chosen folder in folder, 0 when the user cancelled.
  static int GoBrowse(std::string& folder, bool mustBeWritable);
};
