// The Record command: the recording dialog, then the import of its take.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/errors.h"
#include "core/file_utils.h"
#include "core/main_frame.h"
#include "app/mixer_app.h"
#include "app/recording/punch_in_warning_dialog.h"
#include "app/recording/recording_dialog.h"
#include "document/mixer_doc.h"

namespace {

// Moves the audio of a take that failed out of the session folder, which is emptied
// when the program ends, into folder under a name of its own. A rename within one
// filesystem needs no space, so this works on the full disk that may have ended the
// take. The new path, or empty when the audio stays where it is.
std::string KeepTakeAudio(const std::string& path, const std::string& folder, const std::string& stamp) {
  for (int n = 1; n < 100; ++n) {
    const std::string kept =
        JoinPath(folder, "Unfinished take " + stamp + (n > 1 ? " (" + std::to_string(n) + ")" : "") + ".pcm");
    if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, kept.c_str(), RENAME_NOREPLACE) == 0) return kept;
    // A filesystem that cannot refuse to replace is asked whether the name is free.
    if (errno == EINVAL && access(kept.c_str(), F_OK) != 0 && errno == ENOENT) {
      return std::rename(path.c_str(), kept.c_str()) == 0 ? kept : std::string();
    }
    if (errno != EEXIST && errno != EINVAL) return {};
  }
  return {};
}

}  // namespace

int CMixerApp::OnRecord() {
  CMixerDoc* doc = m_pDocument;
  if (!doc) return 0;
  if (doc->ArmedTrack() < 0) {
    CArmDialog::Show();
    return 0;
  }
  if (!m_recorder.IsOpen()) {
    ShowInformation(
        "No audio input device could be opened, so audio cannot be recorded.  Please connect or enable an input "
        "device and start the program again.");
    return 0;
  }
  doc->AlignTrackToDoc(doc->m_nCurrentTrack);
  return StoreTake(m_recordingDialog.DoModal());
}

int CMixerApp::StoreTake(int dialogResult) {
  CMixerDoc* doc = m_pDocument;
  int result = dialogResult == platform::IDOK ? 1 : 3;
  if (doc && dialogResult == platform::IDOK) {
    m_recorder.FinalizeRecordSession();
    m_recordedTake = m_recordingDialog.TakeForImport();
    doc->m_bRecording = 1;
    result = HandleOperation(Operation::kHandleRecord);
    doc->m_bRecording = 0;
  } else if (m_recordingDialog.TakeFailed()) {
    // The take is not in the project, but nothing of it is lost.
    const std::string kept = KeepTakeAudio(m_szRecordedAudioPath, m_szAudioFolder, m_strSessionStamp);
    ShowInformation("The take was not added to the project.  The audio recorded until the failure is kept in " +
                    (kept.empty() ? m_szRecordedAudioPath + " until the next take."
                                  : kept + " (16-bit stereo PCM at 44,100 Hz, without a header)."));
    result = 0;
  }
  if (doc) doc->m_bRecording = 0;
  if (CMainFrame* frame = MainFrame()) frame->OnDocumentChanged(doc ? doc->m_nCurrentTrack : 0);
  return result;
}
