// The operation dispatcher and the command handlers of the application object.

#include "core/command_ids.h"
#include "core/errors.h"
#include "core/main_frame.h"
#include "core/operation.h"
#include "app/mixer_app.h"
#include "document/marker_commands.h"
#include "document/mixer_doc.h"

namespace {

using enum Operation;

struct MarkerItem {
  int id;
  MarkerCommand command;
};
constexpr MarkerItem kMarkerItems[] = {
    {ID_MARKER_SET_BEGIN, MarkerCommand::SetBegin},
    {ID_MARKER_SET_END, MarkerCommand::SetEnd},
    {ID_MARKER_SET_HIGHLIGHT, MarkerCommand::SetFromHighlight},
    {ID_MARKER_ERASE_BEGIN, MarkerCommand::EraseBegin},
    {ID_MARKER_ERASE_END, MarkerCommand::EraseEnd},
    {ID_MARKER_ERASE_BOTH, MarkerCommand::EraseBoth},
};

// The Tools and Effects menus' commands, with the operation each tool runs as.
struct ToolItem {
  int id;
  Operation operation;
};
constexpr ToolItem kToolItems[] = {
    {ID_TOOLS_ADJUST_VOLUME, kVolume},    {ID_TOOLS_FADE, kFade},
    {ID_TOOLS_MUTE_AUDIO, kMute},         {ID_TOOLS_REVERSE, kReverse},
    {ID_TOOLS_SWAP_CHANNELS, kSwap},      {ID_TOOLS_COPY_CHANNEL, kCopyChannel},
    {ID_TOOLS_MULTI_VOICE, kMultiVoice},  {ID_TOOLS_ECHO, kEcho},
    {ID_TOOLS_REVERB, kReverb},
};

const ToolItem* FindToolItem(int id) {
  for (const ToolItem& item : kToolItems) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

const MarkerItem* FindMarkerItem(int id) {
  for (const MarkerItem& item : kMarkerItems) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

}  // namespace

effects::COverToolsDialog* CMixerApp::ToolForOperation(Operation operation) {
  return m_effectTools.ForOperation(operation);
}

bool CMixerApp::IsOperationAvailable(Operation operation) const {
  switch (operation) {
    case kCut:
    case kCutMarkers:
    case kCopy:
    case kCopyMarkers:
    case kPasteInsert:
    case kPasteOver:
    case kInsertSilence:
    case kDelete:
    case kDeleteMarkers:
    case kClearTrack:
    case kUndo:
    case kRedo:
    case kHandleRecord:
    case kWriteWave:
    case kWriteMp3:
    case kSaveProject:
    case kImportWave:
    case kImportMp3:
    case kImportMix:
    case kTrackMixdown:
    case kRecoverSession: return true;
    default: return m_effectTools.ForOperation(operation) != nullptr;
  }
}

int CMixerApp::RunOperation(Operation operation) {
  CMixerDoc& doc = *m_pDocument;
  switch (operation) {
    case kCut:
    case kCutMarkers: return doc.UserOpCut(operation);
    case kCopy:
    case kCopyMarkers: return doc.UserOpCopy(operation);
    case kPasteInsert: return doc.UserOpPasteInsert();
    case kPasteOver: return doc.UserOpPasteOver();
    case kInsertSilence: return doc.UserOpInsertSilence();
    case kDelete:
    case kDeleteMarkers:
    case kClearTrack: return doc.UserOpDelete(operation);
    case kUndo: return doc.UserOpUndo();
    case kRedo: return doc.UserOpRedo();
    case kHandleRecord: return doc.UserOpHandleRecord(m_recordedTake, &m_tempA, &m_tempB);
    case kWriteWave: return doc.WriteWAV();
    case kWriteMp3: return doc.WriteMP3();
    case kSaveProject: return doc.WriteMIX();
    case kImportWave: return doc.UserOpImportWave();
    case kImportMp3: return doc.UserOpImportMP3();
    case kTrackMixdown: return doc.TrackMixDown();
    case kImportMix: return doc.UserOpImportMix();
    case kRecoverSession: return doc.UserOpRecoverSession();
    default:
      if (m_effectTools.ForOperation(operation)) return doc.UserOpX(operation);
      return static_cast<int>(operation);  // not an operation of this program: nothing runs
  }
}

int CMixerApp::HandleOperation(Operation operation) {
  if (!m_pDocument) {
    ReportError("CMixerApp::HandleOperation", "m_pDocument pointer is NULL.");
    return 0;
  }
  CMixerDoc& doc = *m_pDocument;
  m_operationDialog.BeginOperation();
  const bool hadAudio = doc.m_nProjectLength > 0;
  doc.PrepTracksForOp();
  m_bOpInProgress = true;
  const int result = RunOperation(operation);
  if (result == 1) {
    if (operation != kUndo && operation != kRedo) doc.m_nRedoCount = 0;
    bool opensOrImportsIntoEmpty =
        operation == kImportMix || ((operation == kImportWave || operation == kImportMp3) && !hadAudio);
    if (!opensOrImportsIntoEmpty) doc.SetModifiedFlag(true);
  }
  doc.PostTracksForOp();
  m_bOpInProgress = false;
  m_operationDialog.EndOperation();
  if (MainFrame()) MainFrame()->UpdateCommandStates();
  return result;
}

int CMixerApp::RunTool(Operation operation) {
  effects::COverToolsDialog* tool = m_effectTools.ForOperation(operation);
  if (!tool || !m_pDocument) return 0;
  if (m_pDocument->m_mirror.m_nLength == 0) {
    ShowInformation("No audio exists to perform operation on.");
    return 0;
  }
  const int answer = tool->DoModal();
  return answer == platform::IDOK ? HandleOperation(operation) : answer;
}

int CMixerApp::RecoverSession(const LeftSession& session) {
  if (!m_pDocument || !SaveModified()) return 0;
  m_pDocument->m_szRecoverFolder = session.folder;
  return HandleOperation(kRecoverSession);
}

int CMixerApp::NewDocument() {
  if (!m_pDocument || !SaveModified()) return 0;
  m_pDocument->PrepTracksForOp();
  int result = m_pDocument->OnNewDocument();
  m_pDocument->PostTracksForOp();
  if (MainFrame()) MainFrame()->UpdateCommandStates();
  return result;
}

int CMixerApp::OnCommand(int id) {
  // The window only sends enabled commands; the handlers test their preconditions
  // all the same, with the messages a user gets when a test fails.
  CMixerDoc* doc = m_pDocument;
  // A missing document fails every test.
  const TrackPositions empty;
  const TrackPositions& pos = doc ? doc->m_mirror : empty;
  const bool hasHighlight = doc && pos.HasHighlight();
  const bool markersDiffer = doc && pos.m_nMarkerBegin != pos.m_nMarkerEnd;
  const bool clipboardFull = doc && m_clipboard.nSize > 0;
  const bool trackHasAudio = doc && pos.m_nLength > 0;
  auto guarded = [this](bool test, const char* message, Operation operation) {
    if (!test) {
      ShowInformation(message);
      return 0;
    }
    return HandleOperation(operation);
  };

  switch (id) {
    // Transport.
    case ID_TRANSPORT_PLAY: StartPlayback(); return m_bPlaying ? 1 : 0;
    case ID_TRANSPORT_STOP: StopPlayback(); return 1;
    case ID_TRANSPORT_PLAY_STOP: TogglePlayback(); return 1;
    case ID_TRANSPORT_REWIND: return MoveToProjectEdge(false);
    case ID_TRANSPORT_FAST_FORWARD: return MoveToProjectEdge(true);
    case ID_TRANSPORT_RECORD: return OnRecord();
    case ID_FILE_NEW: return NewDocument();
    case ID_FILE_OPEN: return OnOpenFile(kFilterAll, false);
    case ID_FILE_OPEN_MIX: return OnOpenFile(kFilterProject, false);
    case ID_FILE_OPEN_WAVE: return OnOpenFile(kFilterWave, false);
    case ID_FILE_OPEN_MP3: return OnOpenFile(kFilterMp3, false);
    case ID_TOOLS_IMPORT_WAVE: return OnOpenFile(kFilterWave, true);
    case ID_TOOLS_IMPORT_MP3: return OnOpenFile(kFilterMp3, true);
    case ID_FILE_SAVE_AS_WAVE:
    case ID_TOOLS_MIXDOWN_WAVE: return ExportMix(kWriteWave);
    case ID_FILE_SAVE_AS_MP3:
    case ID_TOOLS_MIXDOWN_MP3: return ExportMix(kWriteMp3);
    case ID_TOOLS_MIXDOWN_TRACK: {
      if (!doc) return 0;
      int answer = m_trackMixdownDialog.DoModal();
      return answer == platform::IDOK ? HandleOperation(kTrackMixdown) : answer;
    }
    case ID_FILE_SAVE: return SaveProject(false);
    case ID_FILE_SAVE_AS:
    case ID_FILE_SAVE_AS_MIX: return SaveProject(true);
    case ID_TRACK_ARM_TOGGLE:
    case ID_TRACK_SOLO_TOGGLE:
    case ID_TRACK_MUTE_TOGGLE: {
      if (!doc) return 0;
      int track = doc->m_nCurrentTrack;
      if (id == ID_TRACK_ARM_TOGGLE) m_boardTracks.HandleArm(track);
      if (id == ID_TRACK_SOLO_TOGGLE) m_boardTracks.HandleSolo(track);
      if (id == ID_TRACK_MUTE_TOGGLE) m_boardTracks.HandleMute(track);
      return 1;
    }
    case ID_EDIT_CUT: return guarded(hasHighlight, "Nothing selected to cut.", kCut);
    case ID_EDIT_COPY: return guarded(hasHighlight, "No audio selected to copy.", kCopy);
    case ID_EDIT_PASTE_INSERT: return guarded(clipboardFull, "No audio available on clipboard.", kPasteInsert);
    case ID_EDIT_PASTE_OVER: return guarded(clipboardFull, "No audio available on clipboard.", kPasteOver);
    case ID_EDIT_DELETE: return guarded(hasHighlight, "Nothing selected to delete.", kDelete);
    case ID_EDIT_CUT_MARKERS: return guarded(markersDiffer, "No markers set for cut.", kCutMarkers);
    case ID_EDIT_COPY_MARKERS: return guarded(markersDiffer, "No markers set for copy.", kCopyMarkers);
    case ID_EDIT_DELETE_MARKERS: return guarded(markersDiffer, "No markers set for delete.", kDeleteMarkers);
    case ID_EDIT_CLEAR_TRACK: return guarded(trackHasAudio, "No audio exists to delete.", kClearTrack);
    case ID_EDIT_UNDO: return guarded(doc && doc->m_nUndoCount != 0, "Sorry, undo buffer is empty", kUndo);
    case ID_EDIT_REDO: return guarded(doc && doc->m_nRedoCount != 0, "Sorry, redo buffer is empty", kRedo);
    case ID_TOOLS_INSERT_SILENCE: {
      if (!doc) return 0;
      int answer = m_silenceDialog.DoModal();
      return answer == platform::IDOK ? HandleOperation(kInsertSilence) : answer;
    }
    case ID_SETTINGS_PROJECT: return doc ? m_projectSettingsDialog.DoModal() : 0;
    case ID_SETTINGS_APPLICATION: return m_appSettingsDialog.DoModal();
    case ID_SETTINGS_METRONOME: return m_metronomeDialog.DoModal();
    case ID_TRANSPORT_MONITOR: return doc ? m_monitorInputDialog.DoModal() : 0;
    case ID_MARKER_INPUT_TIMES: {
      if (!doc) return 0;
      int answer = m_markerTimesDialog.DoModal();
      if (answer == platform::IDOK && MainFrame()) MainFrame()->OnDocumentChanged(doc->m_nCurrentTrack);
      return answer;
    }
    default: break;
  }
  if (const ToolItem* item = FindToolItem(id)) return RunTool(item->operation);
  if (const MarkerItem* item = FindMarkerItem(id)) {
    if (!doc) return 0;
    ApplyMarkerCommand(item->command, doc->m_mirror);
    if (MainFrame()) MainFrame()->OnDocumentChanged(doc->m_nCurrentTrack);
    return 1;
  }
  for (int track = 0; track < kTrackCount; ++track) {
    if (id != TrackSelectCommand(track)) continue;
    if (!doc) return 0;
    m_boardTracks.HandleView(track, true);
    return doc->m_nCurrentTrack == track ? 1 : 0;
  }
  for (int entry = 0; entry < kRecentFileCommands; ++entry) {
    if (id == RecentFileCommand(entry) && static_cast<size_t>(entry) < m_recentFiles.Items().size()) {
      return OpenDocument(m_recentFiles.Items()[static_cast<size_t>(entry)]);
    }
  }
  return 0;
}

bool CMixerApp::IsCommandEnabled(int id) const {
  const CMixerDoc* doc = m_pDocument;
  // While playing, only Stop and the play/stop toggle work.
  if (id == ID_TRANSPORT_STOP || id == ID_TRANSPORT_PLAY_STOP) return doc && !m_bOpInProgress;
  if (!doc || m_bPlaying || m_bOpInProgress) return false;
  const TrackPositions& pos = doc->m_mirror;
  const bool trackHasAudio = pos.m_nLength > 0;
  if (const MarkerItem* item = FindMarkerItem(id)) return IsMarkerCommandEnabled(item->command, pos);
  if (FindToolItem(id)) return trackHasAudio;
  switch (id) {
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_FILE_OPEN_MIX:
    case ID_FILE_OPEN_WAVE:
    case ID_FILE_OPEN_MP3:
    case ID_TOOLS_IMPORT_WAVE:
    case ID_TOOLS_IMPORT_MP3:
    case ID_TRACK_ARM_TOGGLE:
    case ID_TRACK_SOLO_TOGGLE:
    case ID_TRACK_MUTE_TOGGLE:
    case ID_TOOLS_INSERT_SILENCE:
    case ID_SETTINGS_PROJECT:
    case ID_SETTINGS_APPLICATION:
    case ID_SETTINGS_METRONOME:
    case ID_TRANSPORT_MONITOR:
    case ID_TRANSPORT_PLAY:
    case ID_TRANSPORT_REWIND:
    case ID_TRANSPORT_FAST_FORWARD:
    case ID_TRANSPORT_RECORD: return true;
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
    case ID_FILE_SAVE_AS_MIX:
    case ID_FILE_SAVE_AS_WAVE:
    case ID_FILE_SAVE_AS_MP3:
    case ID_TOOLS_MIXDOWN_WAVE:
    case ID_TOOLS_MIXDOWN_MP3:
    case ID_TOOLS_MIXDOWN_TRACK: return doc->m_nProjectLength > 0;
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
    case ID_EDIT_DELETE: return trackHasAudio && pos.m_nHighlightBegin < pos.m_nHighlightEnd;
    case ID_EDIT_CUT_MARKERS:
    case ID_EDIT_COPY_MARKERS:
    case ID_EDIT_DELETE_MARKERS: return trackHasAudio && pos.BothMarkersSet();
    case ID_EDIT_CLEAR_TRACK: return trackHasAudio;
    case ID_EDIT_PASTE_INSERT:
    case ID_EDIT_PASTE_OVER: return m_clipboard.nSize > 0;
    case ID_EDIT_UNDO: return doc->m_nUndoCount >= 1;
    case ID_EDIT_REDO: return doc->m_nRedoCount >= 1;
    case ID_MARKER_INPUT_TIMES: return trackHasAudio;
    default: break;
  }
  for (int track = 0; track < kTrackCount; ++track) {
    if (id == TrackSelectCommand(track)) return true;
  }
  for (int entry = 0; entry < kRecentFileCommands; ++entry) {
    if (id == RecentFileCommand(entry)) return static_cast<size_t>(entry) < m_recentFiles.Items().size();
  }
  // Commands of subsystems this program does not have yet stay disabled.
  return false;
}
