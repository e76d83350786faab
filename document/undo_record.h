#pragma once

#include <cstdint>

#include "audio_store/pcm_file.h"

// Change kinds, shared with the document's finishing step.
inline constexpr int kKindRemoval = 0;
inline constexpr int kKindInsertion = 1;
inline constexpr int kKindReplacement = 2;

// One slot of the undo or redo ring: the change and, where reversing it needs audio,
// that audio in the slot's own file.
struct UndoRecord {
  PCMFile file;
  uint32_t nFirst = 0;
  uint32_t nLast = 0;
  int32_t nPastEOF = 0;
  int32_t nTrack = 0;
  int32_t nKind = 0;
};
