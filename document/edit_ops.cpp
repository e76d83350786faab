// The edits of the current track: each builds its result in the application's
// scratch files, stores what undo needs and hands the result to DocFinalize. The
// track file is touched only by that last move, so a failure or a cancel anywhere
// before leaves the track as it was.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/errors.h"
#include "document/document_workspace.h"
#include "document/mixer_doc.h"
#include "document/silence_dialog.h"
#include "effects/effect_progress.h"
#include "effects/over_tools_dialog.h"

namespace {

// A range the document can edit: inside the track, not reversed.
bool CheckRange(uint32_t first, uint32_t last, uint32_t length, const char* location) {
  if (first <= last && last <= length) return true;
  ReportError(location, "The range " + std::to_string(first) + " to " + std::to_string(last) +
                            " does not lie within the track's " + std::to_string(length) + " bytes.");
  return false;
}

bool CheckPosition(uint32_t position, uint32_t length, const char* location) {
  if (position <= length) return true;
  ReportError(location, "The position " + std::to_string(position) + " lies beyond the track's " +
                            std::to_string(length) + " bytes.");
  return false;
}

// The highlight, the markers or the whole track, as the command's operation says.
void SourceRange(const TrackPositions& pos, const PCMFile& file, Operation source, uint32_t& first, uint32_t& last) {
  first = last = 0;
  switch (source) {
    case Operation::kCut:
    case Operation::kCopy:
    case Operation::kDelete:
      first = pos.m_nHighlightBegin;
      last = pos.m_nHighlightEnd;
      break;
    case Operation::kCutMarkers:
    case Operation::kDeleteMarkers:
    case Operation::kCopyMarkers:
      first = static_cast<uint32_t>(pos.m_nMarkerBegin);
      last = static_cast<uint32_t>(pos.m_nMarkerEnd);
      break;
    case Operation::kClearTrack: last = file.nSize; break;
    default: break;
  }
}

void StartProgress(COperationDialog* progress, const char* message, uint32_t bytes) {
  progress->SetMessage(message, 1);
  progress->SetProgressRange(bytes / 100);
}

}  // namespace

bool CMixerDoc::EditPreconditions(const char* location) {
  if (!CheckTrack(m_nCurrentTrack, location)) return false;
  if (!m_pOperationDialog) {
    ReportError(location, "Pointer to dialog op is NULL");
    return false;
  }
  return true;
}

bool CMixerDoc::RemovalRange(const char* location, Operation source, uint32_t& first, uint32_t& last) {
  if (!EditPreconditions(location)) return false;
  AlignTrackToDoc(m_nCurrentTrack);
  const CAudioTrack& track = CurrentTrack();
  SourceRange(track.m_pos, track.m_PCM, source, first, last);
  return CheckRange(first, last, track.m_PCM.nSize, location);
}

int CMixerDoc::UserOpCut(Operation source) {
  uint32_t first, last;
  if (!RemovalRange("CMixerDoc::UserOpCut", source, first, last)) return 0;
  DocumentWorkspace& work = m_workspace;
  CAudioTrack& track = CurrentTrack();

  StartProgress(m_pOperationDialog, "Performing cut operation...",
                PCMFileCut_ByteCount(&track.m_PCM, &work.m_tempA, first, last) +
                    2 * PCMFileCopy_ByteCount(&track.m_PCM, &work.m_tempB, first, last));
  int result = PCMFileCut(&track.m_PCM, &work.m_tempA, first, last);
  if (result == 1) result = PCMFileCopy(&track.m_PCM, &work.m_tempB, first, last);
  if (result == 1) result = PCMFileCopy(&track.m_PCM, &work.m_tempC, first, last);
  if (result != 1) return result;
  track.m_pos.m_nLength = work.m_tempA.nSize;
  // An empty range leaves the clipboard as it was.
  return CommitEdit(&work.m_tempC, kKindRemoval, m_nCurrentTrack, first, last, 0, &work.m_tempA,
                    first != last ? &work.m_tempB : nullptr);
}

int CMixerDoc::UserOpDelete(Operation source) {
  uint32_t first, last;
  if (!RemovalRange("CMixerDoc::UserOpDelete", source, first, last)) return 0;
  DocumentWorkspace& work = m_workspace;
  CAudioTrack& track = CurrentTrack();

  StartProgress(m_pOperationDialog, "Performing delete operation...",
                PCMFileCut_ByteCount(&track.m_PCM, &work.m_tempA, first, last) +
                    PCMFileCopy_ByteCount(&track.m_PCM, &work.m_tempC, first, last));
  int result = PCMFileCut(&track.m_PCM, &work.m_tempA, first, last);
  if (result != 1) return result;
  track.m_pos.m_nLength = work.m_tempA.nSize;
  if ((result = PCMFileCopy(&track.m_PCM, &work.m_tempC, first, last)) != 1) {
    track.m_pos.m_nLength = track.m_PCM.nSize;
    return result;
  }
  return CommitEdit(&work.m_tempC, kKindRemoval, m_nCurrentTrack, first, last, 0, &work.m_tempA);
}

int CMixerDoc::UserOpCopy(Operation source) {
  constexpr const char* kWhere = "CMixerDoc::UserOpCopy";
  if (!EditPreconditions(kWhere)) return 0;
  DocumentWorkspace& work = m_workspace;
  CAudioTrack& track = CurrentTrack();
  uint32_t first, last;
  SourceRange(m_mirror, track.m_PCM, source, first, last);
  if (!CheckRange(first, last, track.m_PCM.nSize, kWhere)) return 0;

  StartProgress(m_pOperationDialog, "Performing copy operation...",
                PCMFileCopy_ByteCount(&track.m_PCM, &work.m_tempA, first, last));
  int result = PCMFileCopy(&track.m_PCM, &work.m_tempA, first, last);
  if (result != 1) return result;
  return MoveAudioFile(&work.m_tempA, &work.m_clipboard);
}

int CMixerDoc::UserOpPasteInsert() {
  constexpr const char* kWhere = "CMixerDoc::UserOpPasteInsert";
  if (!EditPreconditions(kWhere)) return 0;
  DocumentWorkspace& work = m_workspace;
  AlignTrackToDoc(m_nCurrentTrack);
  CAudioTrack& track = CurrentTrack();
  const uint32_t position = track.m_pos.m_nHighlightBegin;
  const uint32_t count = work.m_clipboard.nSize;
  if (!CheckPosition(position, track.m_PCM.nSize, kWhere)) return 0;

  StartProgress(m_pOperationDialog, "Performing paste insert operation...",
                PCMFileInsert_ByteCount(&track.m_PCM, &work.m_clipboard));
  int result = PCMFileInsert(&track.m_PCM, &work.m_clipboard, &work.m_tempA, position);
  if (result != 1) return result;
  track.m_pos.m_nLength = work.m_tempA.nSize;
  return CommitEdit(nullptr, kKindInsertion, m_nCurrentTrack, position, position + count, 0, &work.m_tempA);
}

int CMixerDoc::UserOpPasteOver() {
  constexpr const char* kWhere = "CMixerDoc::UserOpPasteOver";
  if (!EditPreconditions(kWhere)) return 0;
  DocumentWorkspace& work = m_workspace;
  AlignTrackToDoc(m_nCurrentTrack);
  CAudioTrack& track = CurrentTrack();
  const uint32_t position = track.m_pos.m_nHighlightBegin;
  const uint32_t length = track.m_PCM.nSize;
  if (!CheckPosition(position, length, kWhere)) return 0;

  int pastEOF = 2;
  uint32_t overBytes = PCMFileOver_ByteCount(&track.m_PCM, &work.m_clipboard, position, &pastEOF);
  const uint32_t end = pastEOF == 1 ? position + work.m_clipboard.nSize : length;
  StartProgress(m_pOperationDialog, "Performing paste over operation...",
                overBytes + PCMFileCopy_ByteCount(&track.m_PCM, &work.m_tempB, position, end));
  pastEOF = 2;
  int result = PCMFileOver(&track.m_PCM, &work.m_clipboard, &work.m_tempA, position, &pastEOF);
  if (result == 1) result = PCMFileCopy(&track.m_PCM, &work.m_tempB, position, end);
  if (result != 1) return result;
  track.m_pos.m_nLength = work.m_tempA.nSize;
  return CommitEdit(&work.m_tempB, kKindReplacement, m_nCurrentTrack, position, end, pastEOF, &work.m_tempA);
}

int CMixerDoc::UserOpInsertSilence() {
  constexpr const char* kWhere = "CMixerDoc::UserOpInsertSilence";
  if (!EditPreconditions(kWhere)) return 0;
  DocumentWorkspace& work = m_workspace;
  AlignTrackToDoc(m_nCurrentTrack);
  CAudioTrack& track = CurrentTrack();
  CSilenceInputDialog& dialog = work.m_silenceDialog;
  const uint32_t position =
      dialog.m_bUseMarker ? static_cast<uint32_t>(track.m_pos.m_nMarkerBegin) : track.m_pos.m_nHighlightBegin;
  const uint32_t count = dialog.m_nLength;
  if (!CheckPosition(position, track.m_PCM.nSize, kWhere)) return 0;

  StartProgress(m_pOperationDialog, "Inserting silence...",
                PCMFileExteriorPre_ByteCount(&track.m_PCM, &work.m_tempA, position) +
                    PCMFileInsertExteriorPost_ByteCount(&track.m_PCM, &work.m_tempA, position) + count);
  std::FILE* out = nullptr;
  int result = PCMFileInsertExteriorPre(&track.m_PCM, &work.m_tempA, position, &out);
  if (result != 1) return result;
  result = dialog.WriteSilenceToPCM(out, count);
  if (result != 1) {
    PCMFileClose(&work.m_tempA);
    return result;
  }
  if ((result = PCMFileInsertExteriorPost(&track.m_PCM, &work.m_tempA, position, count)) != 1) return result;
  track.m_pos.m_nLength += count;
  return CommitEdit(nullptr, kKindInsertion, m_nCurrentTrack, position, position + count, 0, &work.m_tempA);
}

namespace {

// The progress dialog as an effect reports to it.
class OperationProgress : public effects::EffectProgress {
 public:
  explicit OperationProgress(COperationDialog& dialog) : m_dialog(dialog) {}
  void Step(uint32_t amount) override { m_dialog.StepProgress(amount); }
  void SetPosition(uint32_t position) override { m_dialog.UpdateProgress(position); }
  uint32_t Position() const override { return m_dialog.Position(); }
  bool Cancelled() const override { return m_dialog.CancelRequested(); }

 private:
  COperationDialog& m_dialog;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

int CMixerDoc::UserOpX(Operation op) {
  constexpr const char* kWhere = "CMixerDoc::UserOpX";
  DocumentWorkspace* work = &m_workspace;
  if (m_nCurrentTrack < 0 || m_nCurrentTrack >= kTrackCount) {
    ReportError(kWhere, "Cannot perform operation, current track is " + std::to_string(m_nCurrentTrack) + ".");
    return 0;
  }
  if (!m_pOperationDialog) {
    ReportError(kWhere, "Pointer to dialog op is NULL");
    return 0;
  }
  AlignTrackToDoc(m_nCurrentTrack);
  CAudioTrack& track = CurrentTrack();
  effects::COverToolsDialog* tool = m_host.ToolForOperation(op);
  if (!tool) {
    ReportError(kWhere, "pDlgOver is NULL when trying to do op " + std::to_string(static_cast<int>(op)) + ".");
    return 0;
  }
  uint32_t start = 0, end = 0;
  tool->GetOperationPositions(&start, &end);
  if (!CheckRange(start, end, track.m_PCM.nSize, kWhere)) return 0;

  const uint32_t length = track.m_PCM.nSize;
  const uint64_t total = uint64_t{end - start} + end + tool->PerformOperation_ByteCount(start, end) +
                         (end < length ? length - end : 0);
  m_pOperationDialog->SetMessage("Performing operation...", 0);
  m_pOperationDialog->SetProgressRange(static_cast<unsigned int>(std::min<uint64_t>(total / 100, UINT32_MAX)));
  m_pOperationDialog->UpdateProgress(0);

  int result = PCMFileCopy(&track.m_PCM, &work->m_tempB, start, end);
  if (result != 1) return result;
  std::FILE* file = nullptr;
  if ((result = PCMFileOverExteriorPre(&track.m_PCM, &work->m_tempA, end, &file)) != 1) return result;
  // The repeating effects read the track's untouched sound beside the result.
  std::unique_ptr<std::FILE, FileCloser> original(std::fopen(track.m_PCM.szPath.c_str(), "rb"));
  OperationProgress progress(*m_pOperationDialog);
  result = static_cast<int>(tool->PerformOperation(file, original.get(), start, end, progress));
  original.reset();
  if (result != 1) {
    PCMFileClose(&work->m_tempA);
    return result;
  }
  if ((result = PCMFileOverExteriorPost(&track.m_PCM, &work->m_tempA, end, 0)) != 1) return result;
  track.m_pos.m_nLength = work->m_tempA.nSize;
  return CommitEdit(&work->m_tempB, kKindReplacement, m_nCurrentTrack, start, end, 1, &work->m_tempA);
}
