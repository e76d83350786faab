// The commands that choose files: open, save and save as.

#include <algorithm>
#include <cctype>

#include "app/command_ids.h"
#include "app/errors.h"
#include "app/main_frame.h"
#include "app/mixer_app.h"
#include "document/mixer_doc.h"
#include "platform/system.h"

namespace {

constexpr int kOpSaveProject = 16;
constexpr const char* kProjectFilter = "Trackwright Projects (*.mix)";
constexpr const char* kAnyFilter =
    "All Supported Files (*.mix *.wav *.mp3);;Trackwright Projects (*.mix);;"
    "Wave Files (*.wav);;MP3 Files (*.mp3)";

bool IsProjectFile(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ending = path.substr(path.size() - 4);
  std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return std::tolower(c); });
  return ending == ".mix";
}

}  // namespace

int CMixerApp::SaveProject(bool askName, const std::string& name) {
  CMixerDoc* doc = m_pDocument;
  if (!doc) return 0;
  const std::string previousPath = doc->m_szProjectPath;
  const std::string previousFolder = doc->m_szProjectFolder;
  std::string path = name;
  // A project opened from an audio file has that file's name: saving must never
  // write the project record over it.
  if (path.empty() && !askName && IsProjectFile(previousPath)) path = previousPath;
  if (path.empty()) {
    platform::FileDialogs* dialogs = platform::Os().fileDialogs;
    auto chosen =
        dialogs ? dialogs->GetSaveFileName("Save Project", m_szAudioFolder, kProjectFilter, "mix") : std::nullopt;
    if (!chosen) return platform::IDCANCEL;
    path = *chosen;
  }
  // Saving under another name makes a project of its own: a new folder with copies
  // of every track, so that the first project's files stay as they were.
  if (path != previousPath) doc->m_szProjectFolder.clear();
  doc->m_szProjectPath = path;
  int result = HandleOperation(kOpSaveProject);
  if (result != 1) {
    doc->m_szProjectPath = previousPath;
    doc->m_szProjectFolder = previousFolder;
    return result;
  }
  doc->SetModifiedFlag(false);
  m_recentFiles.Add(path);
  if (m_pMainFrame) {
    m_pMainFrame->SetDocumentTitle(doc->TitleText());
    m_pMainFrame->UpdateCommandStates();
  }
  return 1;
}

int CMixerApp::OnOpenFile(bool projectsOnly) {
  if (!m_pDocument) return 0;
  platform::FileDialogs* dialogs = platform::Os().fileDialogs;
  auto chosen = dialogs ? dialogs->GetOpenFileName("Open", m_szAudioFolder, projectsOnly ? kProjectFilter : kAnyFilter)
                        : std::nullopt;
  if (!chosen) return platform::IDCANCEL;
  return OpenDocument(*chosen);
}

int CMixerApp::OpenDocument(const std::string& path) {
  if (!m_pDocument) return 0;
  int result = m_pDocument->OnMyOpenDocument(path);
  if (result == 1) m_recentFiles.Add(path);
  if (m_pMainFrame) m_pMainFrame->UpdateCommandStates();
  return result;
}
