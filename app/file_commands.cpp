// The commands that choose files: open, save and save as.

#include <algorithm>
#include <cctype>

#include "core/command_ids.h"
#include "core/errors.h"
#include "core/file_utils.h"
#include "core/main_frame.h"
#include "app/mixer_app.h"
#include "document/mixer_doc.h"
#include "platform/system.h"

namespace {

constexpr const char* kProjectFilter = "Sonavel Trackwright Files (*.mix)";

// The file kinds of the open dialog's filter lists, first the one it was opened for.
const char* FilterList(int filterOrder) {
  switch (filterOrder) {
    case CMixerApp::kFilterWave:
      return "Wave Files (*.wav);;MP3 Files (*.mp3);;Sonavel Trackwright Files (*.mix);;"
             "All Formats (*.wav *.mp3 *.mix);;All Files (*)";
    case CMixerApp::kFilterMp3:
      return "MP3 Files (*.mp3);;Wave Files (*.wav);;Sonavel Trackwright Files (*.mix);;"
             "All Formats (*.wav *.mp3 *.mix);;All Files (*)";
    case CMixerApp::kFilterProject:
      return "Sonavel Trackwright Files (*.mix);;Wave Files (*.wav);;MP3 Files (*.mp3);;"
             "All Formats (*.wav *.mp3 *.mix);;All Files (*)";
    default:
      return "All Formats (*.mix *.wav *.mp3);;Sonavel Trackwright Files (*.mix);;Wave Files (*.wav);;"
             "MP3 Files (*.mp3);;All Files (*)";
  }
}

// The last four characters of a name in lower case.
std::string Ending(const std::string& path) {
  if (path.size() < 4) return {};
  std::string ending = path.substr(path.size() - 4);
  std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return std::tolower(c); });
  return ending;
}

bool IsProjectFile(const std::string& path) {
  return Ending(path) == ".mix";
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
  int result = HandleOperation(Operation::kSaveProject);
  if (result != 1) {
    doc->m_szProjectPath = previousPath;
    doc->m_szProjectFolder = previousFolder;
    return result;
  }
  doc->SetModifiedFlag(false);
  doc->UpdateTitle();  // the name may be new
  m_recentFiles.Add(path);
  if (MainFrame()) MainFrame()->UpdateCommandStates();
  return 1;
}

int CMixerApp::OnOpenFile(int filterOrder, bool import) {
  if (!m_pDocument) return 0;
  platform::FileDialogs* dialogs = platform::Os().fileDialogs;
  auto chosen =
      dialogs ? dialogs->GetOpenFileName(import ? "Import Audio" : "Open", m_szAudioFolder, FilterList(filterOrder))
              : std::nullopt;
  if (!chosen) return platform::IDCANCEL;
  return import ? ImportFile(*chosen) : OpenDocument(*chosen);
}

int CMixerApp::OpenDroppedFile(const std::string& path) {
  if (m_bOpInProgress) return 0;
  if (m_bPlaying) StopPlayback();
  return OpenDocument(path);
}

int CMixerApp::ImportFile(const std::string& path) {
  if (!m_pDocument) return 0;
  const std::string ending = Ending(path);
  if (ending == ".mix") return OpenDocument(path);
  if (ending != ".wav" && ending != ".mp3") {
    ShowInformation("File extension not supported");
    return 0;
  }
  if (!CheckFileToOpen(path)) return 0;
  m_pDocument->m_szImportPath = path;
  m_recentFiles.Add(path);
  int result = HandleOperation(ending == ".wav" ? Operation::kImportWave : Operation::kImportMp3);
  if (MainFrame()) MainFrame()->UpdateCommandStates();
  return result;
}

int CMixerApp::ExportMix(Operation operation, const std::string& name) {
  CMixerDoc* doc = m_pDocument;
  if (!doc) return 0;
  std::string path = name;
  if (path.empty()) {
    const bool wave = operation == Operation::kWriteWave;
    platform::FileDialogs* dialogs = platform::Os().fileDialogs;
    auto chosen =
        dialogs ? dialogs->GetSaveFileName(wave ? "Mix Down to Wave File" : "Mix Down to MP3 File", m_szAudioFolder,
                                           wave ? "Wave Files (*.wav)" : "MP3 Files (*.mp3)", wave ? "wav" : "mp3")
                : std::nullopt;
    if (!chosen) return platform::IDCANCEL;
    path = *chosen;
  }
  doc->m_szExportPath = path;
  return HandleOperation(operation);
}

bool CMixerApp::SaveModified() {
  CMixerDoc* doc = m_pDocument;
  // A console run does what its commands say; there is nobody to ask.
  if (!doc || !doc->IsModified() || !platform::Os().interactive || !platform::Os().messages) return true;
  platform::MessageResult answer =
      platform::Os().messages->Show("Save changes to " + doc->TitleText() + "?", platform::kProgramCaption,
                                    platform::MessageIcon::Warning, platform::MessageButtons::YesNoCancel);
  if (answer == platform::MessageResult::No) return true;
  if (answer != platform::MessageResult::Yes) return false;
  return SaveProject(false) == 1;
}

int CMixerApp::OpenDocument(const std::string& path) {
  if (!m_pDocument) return 0;
  if (!CheckFileToOpen(path)) {
    // A file that is gone has no place among the recent files.
    m_recentFiles.Remove(path);
    if (MainFrame()) MainFrame()->UpdateCommandStates();
    return 0;
  }
  int result = m_pDocument->OnMyOpenDocument(path);
  if (result == 1) m_recentFiles.Add(path);
  if (MainFrame()) MainFrame()->UpdateCommandStates();
  return result;
}
