// Opening a file given on the command line, dropped on the window or chosen from the
// recent-file list: classified by its extension and run as an import operation.

#include <algorithm>
#include <cctype>

#include "core/errors.h"
#include "core/main_frame.h"
#include "document/document_workspace.h"
#include "document/import_or_new_dialog.h"
#include "document/mixer_doc.h"

namespace {

enum class FileKind { None, Wave, Mp3, Mix };

FileKind Classify(const std::string& path) {
  if (path.size() <= 3) return FileKind::None;
  std::string ending = path.substr(path.size() - 4);
  std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ending == ".wav") return FileKind::Wave;
  if (ending == ".mp3") return FileKind::Mp3;
  if (ending == ".mix") return FileKind::Mix;
  return FileKind::None;
}

struct KindInfo {
  Operation operation;
  const char* failure;
};

KindInfo Info(FileKind kind) {
  switch (kind) {
    case FileKind::Wave: return {Operation::kImportWave, "Failed to import wave file"};
    case FileKind::Mp3: return {Operation::kImportMp3, "Failed to import mp3 file"};
    default: return {Operation::kImportMix, "Failed to import Trackwright file"};
  }
}

}  // namespace

int CMixerDoc::OnMyOpenDocument(const std::string& path) {
  DocumentWorkspace* work = &m_workspace;
  if (!work->m_bRecorderReady) return 1;
  const FileKind kind = Classify(path);
  if (kind == FileKind::None) {
    ShowInformation("File extension not supported");
    return 0;
  }
  const KindInfo info = Info(kind);
  if (!m_host.IsOperationAvailable(info.operation)) {
    ShowInformation("Cannot open " + path + ": this version of Sonavel Trackwright cannot read such files yet.");
    return 0;
  }
  const std::string previousProject = m_szProjectPath;
  if (m_nProjectLength > 0 && kind != FileKind::Mix) {
    CImportOrNew question;
    int answer = question.DoModal();
    if (answer == CImportOrNew::kNew) {
      if (!m_host.SaveModified()) return 0;
      PrepTracksForOp();
      OnNewDocument();
      PostTracksForOp();
      m_szProjectPath = path;
    } else if (answer != CImportOrNew::kImport) {
      return 0;
    }
  } else {
    // A project replaces the open one, and so does an audio file opened into an empty
    // project that was edited all the same (its markers, say).
    if (!m_host.SaveModified()) return 0;
    m_szProjectPath = path;
  }
  const std::string previousImport = m_szImportPath;
  m_szImportPath = path;

  int result = m_host.HandleOperation(info.operation);
  if (result == 0) ShowInformation(info.failure);
  if (result == 0 || result == 3) {
    // A file that was not taken leaves the project's names as they were.
    m_szProjectPath = previousProject;
    m_szImportPath = previousImport;
    return 0;
  }
  UpdateTitle();
  return 1;
}
