// The undo and redo rings: four slots each, written at the position and stepped
// back on undo. Undo and redo rebuild the record's track in temp_a with the same
// primitives as the edits and finish through DocFinalize.

#include <algorithm>

#include "core/errors.h"
#include "document/document_workspace.h"
#include "document/mixer_doc.h"

namespace {

int16_t Next(int16_t slot) {
  return static_cast<int16_t>((slot + 1) % kUndoDepth);
}
int16_t Previous(int16_t slot) {
  return static_cast<int16_t>((slot + kUndoDepth - 1) % kUndoDepth);
}
bool InRing(int16_t slot) {
  return slot >= 0 && slot < kUndoDepth;
}

// Writes a record into the slot at position and moves the file into the slot's file
// when the kind keeps audio; then advances the ring.
int Store(std::array<UndoRecord, kUndoDepth>& ring, int16_t& position, int16_t& count, bool keepsAudio, PCMFile* file,
          int kind, int track, uint32_t first, uint32_t last, int pastEOF) {
  UndoRecord& slot = ring[static_cast<size_t>(position)];
  if (keepsAudio && file && first < last) {
    int moved = MoveAudioFile(file, &slot.file);
    if (moved != 1) return moved;
  } else if (keepsAudio) {
    // An empty change keeps no audio; the slot must not offer an older record's.
    if (PCMFileOpen(&slot.file, kPCMWrite) != 1 || PCMFileClose(&slot.file) != 1) {
      ReportErrorCode("CMixerDoc::UndoStore", "Failed to empty " + slot.file.szPath + ".", errno);
      return 0;
    }
    slot.file.nSize = 0;
  }
  slot.nKind = kind;
  slot.nTrack = track;
  slot.nFirst = first;
  slot.nLast = last;
  slot.nPastEOF = pastEOF;
  position = Next(position);
  if (count < kUndoDepth) ++count;
  return 1;
}

// Takes back the record Store just wrote. With the ring full that record had replaced
// the oldest one, which is gone: the ring then keeps one record fewer.
void Unstore(int16_t& position, int16_t& count, int16_t countBefore) {
  position = Previous(position);
  count = std::min<int16_t>(countBefore, kUndoDepth - 1);
}

}  // namespace

void CMixerDoc::UndoUnstore(int16_t countBefore) {
  Unstore(m_nUndoPos, m_nUndoCount, countBefore);
}

void CMixerDoc::RedoUnstore(int16_t countBefore) {
  Unstore(m_nRedoPos, m_nRedoCount, countBefore);
}

bool CMixerDoc::RecordFitsTrack(const UndoRecord& record, int cutKind, const char* location) {
  if (!CheckTrack(record.nTrack, location)) return false;
  // A track that no longer matches the record (it shrank under the document) would be
  // rebuilt from the wrong bytes; the kind that cuts the range out needs all of it.
  const uint32_t size = Track(record.nTrack).m_PCM.nSize;
  if (record.nFirst <= record.nLast && record.nFirst <= size && (record.nKind != cutKind || record.nLast <= size)) {
    return true;
  }
  ReportError(location, "The track no longer holds the audio this change was made on.");
  return false;
}

int CMixerDoc::UndoStore(PCMFile* file, int kind, int track, uint32_t first, uint32_t last, int pastEOF) {
  if (!InRing(m_nUndoPos)) {
    ReportError("CMixerDoc::UndoStore", "Undo pointer is out of range at " + std::to_string(m_nUndoPos) + ".");
    return 0;
  }
  bool keepsAudio = kind == kKindRemoval || kind == kKindReplacement;
  return Store(m_undo, m_nUndoPos, m_nUndoCount, keepsAudio, file, kind, track, first, last, pastEOF);
}

int CMixerDoc::RedoStore(PCMFile* file, int kind, int track, uint32_t first, uint32_t last, int pastEOF) {
  if (!InRing(m_nRedoPos)) {
    ReportError("CMixerDoc::RedoStore", "Redo pointer is out of range at " + std::to_string(m_nRedoPos) + ".");
    return 0;
  }
  bool keepsAudio = kind == kKindInsertion || kind == kKindReplacement;
  return Store(m_redo, m_nRedoPos, m_nRedoCount, keepsAudio, file, kind, track, first, last, pastEOF);
}

int CMixerDoc::UserOpUndo() {
  constexpr const char* kWhere = "CMixerDoc::UserOpUndo";
  DocumentWorkspace* work = &m_workspace;
  if (!m_pOperationDialog) {
    ReportError(kWhere, "Pointer to dialog op is NULL");
    return 0;
  }
  if (!InRing(m_nUndoPos)) {
    ReportError(kWhere, "Undo pointer is out of range at " + std::to_string(m_nUndoPos) + ".");
    return 0;
  }
  if (m_nUndoCount == 0) return kNothingDone;
  --m_nUndoCount;
  m_nUndoPos = Previous(m_nUndoPos);
  UndoRecord& record = m_undo[static_cast<size_t>(m_nUndoPos)];
  m_pOperationDialog->SetMessage("Performing undo operation...", 1);

  auto rollBack = [this, &record](int result) {
    if (record.nTrack >= 0 && record.nTrack < kTrackCount) KeepTrackLength(record.nTrack);
    ++m_nUndoCount;
    m_nUndoPos = Next(m_nUndoPos);
    return result;
  };
  if (!RecordFitsTrack(record, kKindInsertion, kWhere)) return rollBack(0);
  AlignTrackToDoc(m_nCurrentTrack);
  CAudioTrack& track = Track(record.nTrack);
  // The redo record is stored before the track changes; it goes again when the
  // track cannot take the result.
  const int16_t redoCountBefore = m_nRedoCount;
  auto finalize = [&](int kind, uint32_t from, uint32_t to) {
    const int placed = DocFinalize(kind, record.nTrack, &work->m_tempA, from, to);
    if (placed == 1) return 1;
    RedoUnstore(redoCountBefore);
    return rollBack(placed);
  };
  PCMFile& base = track.m_PCM;
  const uint32_t first = record.nFirst, last = record.nLast;

  int result = 1;
  switch (record.nKind) {
    case kKindRemoval:
      m_pOperationDialog->SetProgressRange(PCMFileInsert_ByteCount(&base, &record.file) / 100);
      if ((result = PCMFileInsert(&base, &record.file, &work->m_tempA, first)) != 1) return rollBack(result);
      track.m_pos.m_nLength = work->m_tempA.nSize;
      if ((result = RedoStore(nullptr, kKindRemoval, record.nTrack, first, last, 0)) != 1) return rollBack(result);
      return finalize(kKindInsertion, first, last);
    case kKindInsertion:
      m_pOperationDialog->SetProgressRange((PCMFileCopy_ByteCount(&base, &work->m_tempC, first, last) +
                                            PCMFileCut_ByteCount(&base, &work->m_tempA, first, last)) /
                                           100);
      if ((result = PCMFileCopy(&base, &work->m_tempC, first, last)) != 1) return rollBack(result);
      if ((result = PCMFileCut(&base, &work->m_tempA, first, last)) != 1) return rollBack(result);
      track.m_pos.m_nLength = work->m_tempA.nSize;
      if ((result = RedoStore(&work->m_tempC, kKindInsertion, record.nTrack, first, last, 0)) != 1) {
        return rollBack(result);
      }
      return finalize(kKindRemoval, first, last);
    case kKindReplacement: {
      const uint32_t end = record.nPastEOF == 0 ? base.nSize : last;
      int pastEOF = record.nPastEOF;
      m_pOperationDialog->SetProgressRange((PCMFileCopy_ByteCount(&base, &work->m_tempC, first, end) +
                                            PCMFileOver_ByteCount(&base, &record.file, first, &pastEOF)) /
                                           100);
      pastEOF = record.nPastEOF;
      if ((result = PCMFileCopy(&base, &work->m_tempC, first, end)) != 1) return rollBack(result);
      if ((result = PCMFileOver(&base, &record.file, &work->m_tempA, first, &pastEOF)) != 1) return rollBack(result);
      if ((result = RedoStore(&work->m_tempC, kKindReplacement, record.nTrack, first, end, record.nPastEOF)) != 1) {
        return rollBack(result);
      }
      track.m_pos.m_nLength = work->m_tempA.nSize;
      return finalize(kKindReplacement, first, last);
    }
    default: return 1;
  }
}

int CMixerDoc::UserOpRedo() {
  constexpr const char* kWhere = "CMixerDoc::UserOpRedo";
  DocumentWorkspace* work = &m_workspace;
  if (!m_pOperationDialog) {
    ReportError(kWhere, "Pointer to dialog op is NULL");
    return 0;
  }
  if (!InRing(m_nRedoPos)) {
    ReportError(kWhere, "Redo pointer is out of range at " + std::to_string(m_nRedoPos) + ".");
    return 0;
  }
  if (m_nRedoCount == 0) return kNothingDone;
  // Remember the undo count: with four records stored, lowering a raised count of 4
  // after a failure would lose one of them.
  const int16_t undoCountBefore = m_nUndoCount;
  --m_nRedoCount;
  m_nRedoPos = Previous(m_nRedoPos);
  m_nUndoPos = Next(m_nUndoPos);
  if (m_nUndoCount < kUndoDepth) ++m_nUndoCount;
  UndoRecord& record = m_redo[static_cast<size_t>(m_nRedoPos)];
  m_pOperationDialog->SetMessage("Performing redo operation...", 1);

  auto rollBack = [this, undoCountBefore, &record](int result) {
    if (record.nTrack >= 0 && record.nTrack < kTrackCount) KeepTrackLength(record.nTrack);
    m_nRedoPos = Next(m_nRedoPos);
    ++m_nRedoCount;
    m_nUndoCount = undoCountBefore;
    m_nUndoPos = Previous(m_nUndoPos);
    return result;
  };
  if (!RecordFitsTrack(record, kKindRemoval, kWhere)) return rollBack(0);
  AlignTrackToDoc(m_nCurrentTrack);
  CAudioTrack& track = Track(record.nTrack);
  PCMFile& base = track.m_PCM;
  const uint32_t first = record.nFirst, last = record.nLast;

  int result = 1;
  int pastEOF = record.nPastEOF;
  switch (record.nKind) {
    case kKindRemoval:
      m_pOperationDialog->SetProgressRange(PCMFileCut_ByteCount(&base, &work->m_tempA, first, last) / 100);
      result = PCMFileCut(&base, &work->m_tempA, first, last);
      break;
    case kKindInsertion:
      m_pOperationDialog->SetProgressRange(PCMFileInsert_ByteCount(&base, &record.file) / 100);
      result = PCMFileInsert(&base, &record.file, &work->m_tempA, first);
      break;
    case kKindReplacement:
      m_pOperationDialog->SetProgressRange(PCMFileOver_ByteCount(&base, &record.file, first, &pastEOF) / 100);
      pastEOF = record.nPastEOF;
      result = PCMFileOver(&base, &record.file, &work->m_tempA, first, &pastEOF);
      break;
    default: return 1;
  }
  if (result != 1) return rollBack(result);
  track.m_pos.m_nLength = work->m_tempA.nSize;
  result = DocFinalize(record.nKind, record.nTrack, &work->m_tempA, first, last);
  return result == 1 ? 1 : rollBack(result);
}
