#include "document/mixer_doc.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "audio_store/peak_file.h"
#include "core/errors.h"
#include "core/file_utils.h"
#include "core/main_frame.h"
#include "document/document_workspace.h"

const std::array<float, 61> kLevelTable = {
    3.16f, 2.81f, 2.51f, 2.24f, 1.99f, 1.77f, 1.58f, 1.41f, 1.26f, 1.12f, 1.0f,  0.89f, 0.79f, 0.70f, 0.62f, 0.56f,
    0.50f, 0.44f, 0.39f, 0.35f, 0.31f, 0.28f, 0.25f, 0.22f, 0.19f, 0.17f, 0.16f, 0.13f, 0.12f, 0.11f, 0.10f, 0.09f,
    0.08f, 0.07f, 0.06f, 0.05f, 0.05f, 0.04f, 0.04f, 0.03f, 0.03f, 0.03f, 0.02f, 0.02f, 0.02f, 0.02f, 0.02f, 0.01f,
    0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 0.0f,  0.0f,  0.0f,  0.0f,  0.0f,  0.0f,  0.0f};

namespace {

std::string TrackFileName(const std::string& folder, int track, const char* extension) {
  return JoinPath(folder, "track" + std::to_string(track) + "." + extension);
}

// Clamps a highlight and a view range to a length, collapsing the highlight to its
// begin when collapse is set.
void ClampRanges(uint32_t& highlightBegin, uint32_t& highlightEnd, uint32_t& highlightSpan, uint32_t& viewStart,
                 uint32_t& viewEnd, uint32_t& viewWidth, uint32_t length, bool collapse) {
  if (collapse) {
    highlightBegin = std::min(highlightBegin, length);
    highlightEnd = highlightBegin;
  } else if (highlightBegin > length) {
    highlightBegin = highlightEnd = length;
  } else if (highlightEnd > length) {
    highlightEnd = length;
  }
  highlightSpan = highlightEnd - highlightBegin;
  if (viewStart > length) viewStart = 0;
  viewEnd = std::min(viewEnd, length);
  viewWidth = viewEnd >= viewStart ? viewEnd - viewStart : 0;
}

}  // namespace

CMixerDoc::CMixerDoc(DocumentWorkspace& workspace, DocumentHost& host) : m_workspace(workspace), m_host(host) {}

CMixerDoc::~CMixerDoc() {
  CleanupTempDir();
}

bool CMixerDoc::CheckTrack(int track, const char* location) {
  if (track >= 0 && track < kTrackCount) return true;
  ReportError(location, "Cannot perform operation, current track is " + std::to_string(track) + ".");
  return false;
}

int CMixerDoc::AssignTrackFileNames(const std::string& folder) {
  DocumentWorkspace* work = &m_workspace;
  m_szTempFolder = folder;
  for (int n = 0; n < kTrackCount; ++n) {
    CAudioTrack& track = Track(n);
    track.m_nTrackNumber = static_cast<int16_t>(n);
    PCMFileClose(&track.m_PCM);
    if (PCMFileSetup(&track.m_PCM, folder, "track" + std::to_string(n)) != 1) return 0;
    track.m_szPeakPath = TrackFileName(folder, n, "pek");
    std::FILE* peak = std::fopen(track.m_szPeakPath.c_str(), "wb");
    if (!peak) {
      ReportError("CMixerDoc::AssignTrackFileNames", "Failed to open peak file for write (" + track.m_szPeakPath + ")");
      return 0;
    }
    std::fclose(peak);
  }
  for (PCMFile* scratch : {&work->m_tempA, &work->m_tempB, &work->m_tempC, &work->m_tempD}) {
    if (PCMFileSetup(scratch, folder, scratch == &work->m_tempA   ? "temp_a"
                              : scratch == &work->m_tempB ? "temp_b"
                              : scratch == &work->m_tempC ? "temp_c"
                                                         : "temp_d") != 1) {
      return 0;
    }
  }
  // The clipboard outlives New and Open.
  if (work->m_clipboard.szPath.empty() && PCMFileSetup(&work->m_clipboard, folder, "clipboard") != 1) return 0;
  for (int slot = 0; slot < kUndoDepth; ++slot) {
    if (PCMFileSetup(&m_undo[static_cast<size_t>(slot)].file, folder, "undo" + std::to_string(slot)) != 1) return 0;
    if (PCMFileSetup(&m_redo[static_cast<size_t>(slot)].file, folder, "redo" + std::to_string(slot)) != 1) return 0;
  }
  return 1;
}

int CMixerDoc::PrepTracksForOp() {
  for (CAudioTrack& track : m_tracks) {
    if (track.m_pos.m_nLength != 0 && PCMFileClose(&track.m_PCM) != 1) {
      ReportError("CMixerDoc::PrepTracksForOp", "Failed to close (" + track.m_PCM.szPath + ")");
    }
  }
  return 1;
}

int CMixerDoc::PostTracksForOp() {
  for (CAudioTrack& track : m_tracks) {
    if (track.m_pos.m_nLength != 0 && PCMFileOpen(&track.m_PCM, kPCMRead) != 1) {
      ReportError("CMixerDoc::PostTracksForOp", "Failed to open (" + track.m_PCM.szPath + ")");
    }
  }
  TrackSeekOnLeftButton(m_nCurrentPos);
  return 1;
}

void CMixerDoc::RecomputeProjectLength() {
  m_nProjectLength = 0;
  for (const CAudioTrack& track : m_tracks) m_nProjectLength = std::max(m_nProjectLength, track.m_pos.m_nLength);
}

int CMixerDoc::TrackSeekOnLeftButton(uint32_t position) {
  if (m_workspace.m_bPlaying) return 2;
  RecomputeProjectLength();
  for (CAudioTrack& track : m_tracks) {
    if (track.m_pos.m_nLength != 0) PCMFileSeek(&track.m_PCM, position);
  }
  return 1;
}

int CMixerDoc::AlignDocToTrack(int track) {
  if (!CheckTrack(track, "CMixerDoc::AlignDocToTrack")) return 0;
  m_mirror = Track(track).m_pos;
  return 1;
}

int CMixerDoc::AlignTrackToDoc(int track) {
  if (!CheckTrack(track, "CMixerDoc::AlignTrackToDoc")) return 0;
  Track(track).m_pos = m_mirror;
  return 1;
}

int CMixerDoc::OnViewChange(int track, bool keep) {
  if (track == m_nCurrentTrack) return 2;
  if (!CheckTrack(track, "CMixerDoc::OnViewChange")) return 0;
  if (keep) AlignTrackToDoc(m_nCurrentTrack);
  m_nCurrentTrack = static_cast<int16_t>(track);
  AlignDocToTrack(track);
  AfterChange(track);
  return 1;
}

void CMixerDoc::AfterChange(int track) {
  if (CMainFrame* frame = m_host.MainFrame()) frame->OnDocumentChanged(track);
}

void CMixerDoc::KeepTrackLength(int trackNumber) {
  Track(trackNumber).m_pos.m_nLength = Track(trackNumber).m_PCM.nSize;
  if (trackNumber == m_nCurrentTrack) AlignDocToTrack(trackNumber);
}

int CMixerDoc::CommitEdit(PCMFile* undoFile, int kind, int trackNumber, uint32_t first, uint32_t last, int pastEOF,
                          PCMFile* result, PCMFile* clipboard, CPeakBuilder* peaks) {
  DocumentWorkspace& work = m_workspace;
  const int16_t undoCountBefore = m_nUndoCount;
  int done = UndoStore(undoFile, kind, trackNumber, first, last, pastEOF);
  if (done != 1) {
    KeepTrackLength(trackNumber);
    return done;
  }
  // The clipboard's audio is set aside in temp_d until the track has taken the result.
  bool setAside = false;
  if (clipboard) {
    if (work.m_clipboard.nSize > 0) setAside = (done = MoveAudioFile(&work.m_clipboard, &work.m_tempD)) == 1;
    if (done == 1) done = MoveAudioFile(clipboard, &work.m_clipboard);
    if (done != 1 && setAside) MoveAudioFile(&work.m_tempD, &work.m_clipboard);
    if (done != 1) {
      UndoUnstore(undoCountBefore);
      KeepTrackLength(trackNumber);
      return done;
    }
  }
  done = DocFinalize(kind, trackNumber, result, first, last, peaks);
  if (done != 1) {
    if (setAside) MoveAudioFile(&work.m_tempD, &work.m_clipboard);
    UndoUnstore(undoCountBefore);
  }
  return done;
}

int CMixerDoc::DocFinalize(int kind, int trackNumber, PCMFile* result, uint32_t first, uint32_t last,
                           CPeakBuilder* peaks) {
  if (!CheckTrack(trackNumber, "CMixerDoc::DocFinalize")) return 0;
  CAudioTrack& track = Track(trackNumber);
  // A track still read from a saved project's folder gets its session files; should
  // the result not take their place, the track stays where it was.
  const std::string savedPath = track.m_PCM.szPath, savedPeakPath = track.m_szPeakPath;
  const bool hadNames = track.bNamesAssigned;
  if (!track.bNamesAssigned) {
    track.m_PCM.szPath = TrackFileName(m_szTempFolder, trackNumber, "pcm");
    track.m_szPeakPath = TrackFileName(m_szTempFolder, trackNumber, "pek");
    track.bNamesAssigned = 1;
  }

  const bool hadAudio = track.bHasAudio != 0;
  const bool emptyResult = result->nSize == 0;
  // The track's file and view before the change: the view is fitted to the new length.
  const uint32_t oldLength = track.m_PCM.nSize;
  const uint32_t oldViewStart = track.m_pos.m_nViewStart;
  const uint32_t oldViewEnd = track.m_pos.m_nViewEnd;
  bool fitView = false;
  if (kind == kKindInsertion || !emptyResult) {
    if (MoveAudioFile(result, &track.m_PCM) != 1) {
      // The track file is as it was: so is its length.
      track.m_PCM.szPath = savedPath;
      track.m_szPeakPath = savedPeakPath;
      track.bNamesAssigned = hadNames;
      KeepTrackLength(trackNumber);
      return 0;
    }
  } else {
    std::FILE* emptied = std::fopen(track.m_PCM.szPath.c_str(), "wb");
    if (emptied) std::fclose(emptied);
    track.bHasAudio = 0;
    track.m_PCM.Close();
    track.m_PCM.nSize = 0;
  }

  uint32_t peakLength = 0;
  if (peaks && peaks->Publish(track.m_szPeakPath, peakLength)) {
    track.m_nPeakLength = peakLength;
  } else {
    track.CreatePeakFile(m_pOperationDialog);
  }
  TrackPositions& pos = track.m_pos;
  pos.m_nRenderedLength = track.m_nPeakLength;
  const uint32_t length = pos.m_nLength;
  const uint32_t rendered = pos.m_nRenderedLength;
  const uint32_t span = last - first;

  if (kind == kKindInsertion) {
    if (!hadAudio) {
      track.bHasAudio = 1;
      pos.SetInitial(length, rendered);
    } else {
      fitView = true;
    }
    if (MarkerSet(pos.m_nMarkerBegin) && MarkerValue(pos.m_nMarkerBegin) >= first) pos.m_nMarkerBegin += span;
    if (MarkerSet(pos.m_nMarkerEnd) && MarkerValue(pos.m_nMarkerEnd) >= first) pos.m_nMarkerEnd += span;
  } else {
    if (kind == kKindReplacement && emptyResult) {
      pos.SetInitial(0, 0);
    } else if (kind == kKindReplacement && !hadAudio) {
      track.bHasAudio = 1;
      pos.SetInitial(length, rendered);
    } else if (kind == kKindRemoval && !track.bHasAudio) {
      pos.SetInitial(0, 0);
    } else {
      bool removal = kind == kKindRemoval;
      fitView = length > 0;
      ClampRanges(pos.m_nHighlightBegin, pos.m_nHighlightEnd, pos.m_nHighlightSpan, pos.m_nViewStart, pos.m_nViewEnd,
                  pos.m_nViewWidth, length, removal);
      ClampRanges(pos.m_nScaledHighlightBegin, pos.m_nScaledHighlightEnd, pos.m_nScaledHighlightSpan,
                  pos.m_nScaledViewStart, pos.m_nScaledViewEnd, pos.m_nScaledViewWidth, rendered, removal);
      if (removal) {
        if (length == 0) track.bHasAudio = 0;
        for (int32_t* marker : {&pos.m_nMarkerBegin, &pos.m_nMarkerEnd}) {
          if (!MarkerSet(*marker) || MarkerValue(*marker) < first) continue;
          if (MarkerValue(*marker) <= last) {
            *marker = kMarkerNotSet;
          } else {
            *marker -= static_cast<int32_t>(span);
          }
        }
      } else {
        for (int32_t* marker : {&pos.m_nMarkerBegin, &pos.m_nMarkerEnd}) {
          if (MarkerSet(*marker) && MarkerValue(*marker) > length) *marker = kMarkerNotSet;
        }
      }
    }
    if (!MarkerSet(pos.m_nMarkerBegin) && MarkerSet(pos.m_nMarkerEnd)) {
      pos.m_nMarkerBegin = pos.m_nMarkerEnd;
      pos.m_nMarkerEnd = kMarkerNotSet;
    }
  }

  // A view that showed the whole track goes on showing all of it; a zoomed one keeps
  // its zoom and ends within the track.
  if (fitView) pos.FitView(oldViewStart, oldViewEnd, oldLength);

  RecomputeProjectLength();
  if (trackNumber == m_nCurrentTrack) AlignDocToTrack(trackNumber);
  m_nCurrentPos = std::min(m_nCurrentPos, m_nProjectLength);
  AfterChange(trackNumber);
  return 1;
}

int CMixerDoc::OnNewDocument() {
  DocumentWorkspace* work = &m_workspace;
  if (!m_host.MainFrame()) {
    ReportError("CMixerDoc::OnNewDocument", "The main frame pointer is NULL.");
    return 0;
  }
  m_szProjectPath.clear();
  m_szProjectFolder.clear();
  m_szProjectFolder2.clear();
  m_bModified = false;
  m_nCurrentTrack = 0;
  m_mirror = TrackPositions{};
  m_nCurrentPos = 0;
  m_viewValues.fill(0);
  m_bRecording = 0;
  m_nProjectLength = 0;
  m_nUndoPos = m_nUndoCount = m_nRedoPos = m_nRedoCount = 0;
  for (CAudioTrack& track : m_tracks) {
    PCMFileClose(&track.m_PCM);
    track.ResetAllParameters();
  }
  work->m_boardTracks.ResetForNewProject();
  work->m_boardMain.SetProjectDescription("");
  if (!m_szTempFolder.empty() && AssignTrackFileNames(m_szTempFolder) != 1) return 0;
  UpdateTitle();
  AfterChange(m_nCurrentTrack);
  return 1;
}

void CMixerDoc::SetModifiedFlag(bool modified) {
  if (modified == m_bModified) return;
  m_bModified = modified;
  UpdateTitle();
}

void CMixerDoc::UpdateTitle() {
  if (CMainFrame* frame = m_host.MainFrame()) frame->SetDocumentTitle((m_bModified ? "*" : "") + TitleText());
}

std::string CMixerDoc::TitleText() const {
  if (m_szProjectPath.empty()) return "Untitled";
  auto slash = m_szProjectPath.find_last_of('/');
  return slash == std::string::npos ? m_szProjectPath : m_szProjectPath.substr(slash + 1);
}

int CMixerDoc::ArmedTrack() const {
  for (int n = 0; n < kTrackCount; ++n) {
    if (Track(n).m_bArmed) return n;
  }
  return -1;
}

bool CMixerDoc::AnySolo() const {
  return std::any_of(m_tracks.begin(), m_tracks.end(), [](const CAudioTrack& track) { return track.m_bSolo != 0; });
}

void CMixerDoc::CleanupTempDir() {
  if (m_szTempFolder.empty()) return;
  DocumentWorkspace& work = m_workspace;
  work.m_bClosing = true;
  for (PCMFile* scratch : {&work.m_clipboard, &work.m_tempA, &work.m_tempB, &work.m_tempC, &work.m_tempD}) {
    if (!scratch->szPath.empty()) PCMFileCleanup(scratch);
  }
  for (UndoRecord& slot : m_undo) PCMFileCleanup(&slot.file);
  for (UndoRecord& slot : m_redo) PCMFileCleanup(&slot.file);
  for (int n = 0; n < kTrackCount; ++n) {
    PCMFileClose(&Track(n).m_PCM);
    unlink(TrackFileName(m_szTempFolder, n, "pcm").c_str());
    unlink(TrackFileName(m_szTempFolder, n, "pek").c_str());
  }
  unlink(work.m_szRecordedAudioPath.c_str());
  // The session folder was made by this process alone, so what is left in it (a file
  // an operation kept for the user) is its own too. A folder inside it was not made
  // here: it stays, and so does the session folder then.
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(m_szTempFolder, error)) {
    if (entry.symlink_status(error).type() != std::filesystem::file_type::directory) {
      std::filesystem::remove(entry.path(), error);
    }
  }
  rmdir(m_szTempFolder.c_str());
  m_szTempFolder.clear();
}
