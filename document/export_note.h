#pragma once

#include <string>

// While an export writes the side file beside its target, the session folder holds a
// note naming the target. A start after a crash reads the notes of the sessions left
// behind and removes the side files a killed export left, which would otherwise stay
// until that target is exported again.
class ExportNote {
 public:
  // Writing the note may fail: the export goes on all the same.
  ExportNote(const std::string& sessionFolder, const std::string& target);
  ~ExportNote();
  ExportNote(const ExportNote&) = delete;
  ExportNote& operator=(const ExportNote&) = delete;

 private:
  std::string m_path;
};

// Removes the side files of the export noted in a left session's folder, and the note.
void RemoveStoppedExport(const std::string& sessionFolder);
