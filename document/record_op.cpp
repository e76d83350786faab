// The import of a recorded take into the armed track: operation 13.

#include "core/errors.h"
#include "core/progress_dialog.h"
#include "document/mixer_doc.h"
#include "document/recorded_take.h"

int CMixerDoc::UserOpHandleRecord(const RecordedTake& take, PCMFile* scratch, PCMFile* undoScratch) {
  constexpr const char* kWhere = "CMixerDoc::UserOpHandleRecord";
  if (!m_pOperationDialog || !scratch || !undoScratch) {
    ReportError(kWhere, "Pointer to dialog op is NULL");
    return 0;
  }
  const int armed = ArmedTrack();
  if (armed < 0 || armed >= kTrackCount) {
    ReportError(kWhere, "The armed track is out of range at " + std::to_string(armed) + ".");
    return 0;
  }
  AlignTrackToDoc(m_nCurrentTrack);
  CAudioTrack& track = Track(armed);
  TakePlacement placement;
  if (!PlaceTake(take, track.m_PCM.nSize, &placement)) return kNothingDone;

  const uint32_t first = placement.replacedFirst, last = placement.replacedLast;
  m_pOperationDialog->SetMessage("Importing recorded audio into project...", 1);
  m_pOperationDialog->SetProgressRange(
      (PCMFileCopy_ByteCount(&track.m_PCM, undoScratch, first, last) +
       PCMFileExteriorPre_ByteCount(&track.m_PCM, scratch, placement.join) + placement.written +
       PCMFileOverExteriorPost_ByteCount(&track.m_PCM, scratch, placement.join, placement.written)) /
      100);
  int result = PCMFileCopy(&track.m_PCM, undoScratch, first, last);
  if (result != 1) return result;
  std::FILE* out = nullptr;
  if ((result = PCMFileOverExteriorPre(&track.m_PCM, scratch, placement.join, &out)) != 1) return result;
  result = WriteRecordedFileToPCM(take, placement, out, m_pOperationDialog);
  if (result != 1) {
    PCMFileClose(scratch);
    return result;
  }
  if ((result = PCMFileOverExteriorPost(&track.m_PCM, scratch, placement.join, placement.written)) != 1) return result;
  track.m_pos.m_nLength = scratch->nSize;
  if ((result = UndoStore(undoScratch, kKindReplacement, armed, first, last, placement.keepsTail)) != 1) return result;
  return DocFinalize(kKindReplacement, armed, scratch, placement.join, placement.join + placement.written);
}
