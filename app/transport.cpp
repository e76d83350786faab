// The application's transport operations: play, stop, the play/stop toggle, rewind
// and fast forward.

#include "core/errors.h"
#include "core/main_frame.h"
#include "core/message_dialog.h"
#include "app/mixer_app.h"
#include "document/mixer_doc.h"
#include "platform/system.h"

namespace {

constexpr uint32_t kToggleGuardMs = 750;

uint32_t TickCount() {
  platform::Clock* clock = platform::Os().clock;
  return clock ? clock->GetTickCount() : 0;
}

}  // namespace

void CMixerApp::StartPlayback() {
  if (m_stopInProgress || m_bPlaying) return;
  m_bPlaying = true;
  CMixerDoc* doc = m_pDocument;
  const char* message = nullptr;
  if (!doc || doc->m_nProjectLength == 0) {
    message = "No audio exists to play.  Please open an audio file or record new audio first.";
  } else if (doc->m_nCurrentPos == doc->m_nProjectLength) {
    message = "Current project position is at the end.  Please rewind and then play audio.";
  } else if (!m_player.IsOpen()) {
    message =
        "No audio output device could be opened, so audio cannot be played.  Please connect or enable an output "
        "device and start the program again.";
  } else if (m_player.Play(doc) == 1) {
    if (MainFrame()) MainFrame()->UpdateCommandStates();
    return;
  }
  if (message) CMessageDialog::Show(message);
  m_bPlaying = false;
}

void CMixerApp::StopPlayback() {
  if (m_stopInProgress) return;
  m_stopInProgress = true;
  if (m_player.State() == PlayerPlaying) m_player.EndPlay();
  m_bPlaying = false;
  m_stopInProgress = false;
  if (m_pDocument) m_pDocument->TrackSeekOnLeftButton(m_pDocument->m_nCurrentPos);
  if (PlaybackViewObserver* view = m_player.View()) view->RefreshClocks();
  if (MainFrame()) MainFrame()->UpdateCommandStates();
}

void CMixerApp::TogglePlayback() {
  const uint32_t now = TickCount();
  if (m_lastToggleTick && now - *m_lastToggleTick < kToggleGuardMs) return;
  m_lastToggleTick = now;
  if (m_bPlaying) {
    StopPlayback();
  } else {
    StartPlayback();
  }
}

void CMixerApp::StartPlayerIfStopped() {
  if (m_player.State() == PlayerIdle && m_pDocument) m_player.Play(m_pDocument);
}

int CMixerApp::MoveToProjectEdge(bool end) {
  CMixerDoc* doc = m_pDocument;
  if (!doc || m_bPlaying) return 0;
  doc->m_nCurrentPos = end ? doc->m_nProjectLength : 0;
  doc->TrackSeekOnLeftButton(doc->m_nCurrentPos);
  if (PlaybackViewObserver* view = m_player.View()) {
    view->ShowPosition(doc->m_nCurrentPos);
    view->RefreshClocks();
  }
  if (MainFrame()) MainFrame()->OnDocumentChanged(doc->m_nCurrentTrack);
  return 1;
}
