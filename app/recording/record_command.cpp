// The Record command: the recording dialog, then the import of its take.

#include "core/errors.h"
#include "core/main_frame.h"
#include "app/mixer_app.h"
#include "app/recording/punch_in_warning_dialog.h"
#include "app/recording/recording_dialog.h"
#include "document/mixer_doc.h"

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
    ShowInformation("The take was not added to the project.  The audio recorded until the failure is kept in " +
                    m_szRecordedAudioPath + " until the next take.");
    result = 0;
  }
  if (doc) doc->m_bRecording = 0;
  if (CMainFrame* frame = MainFrame()) frame->OnDocumentChanged(doc ? doc->m_nCurrentTrack : 0);
  return result;
}
