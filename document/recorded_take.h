#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class COperationDialog;

// A take as the recording session leaves it for the import into the armed track.
struct RecordedTake {
  std::string path;              // the recorded-audio file
  uint32_t recordedLength = 0;   // its bytes
  uint32_t recordStart = 0;      // the project position the take began at
  bool useMarkers = false;       // punch in/out between the markers
  int32_t punchBegin = -1;       // the armed track's markers at the start (-1: not set)
  int32_t punchEnd = -1;
  // The start ticks (microseconds of the tick count, engine/start_tick.h) at which the
  // playback began to sound and the input began to capture.
  uint32_t playStartEstimate = 0;
  uint32_t recordStartEstimate = 0;
};

// The bytes between the two start estimates, in whole frames, and which came first.
struct TakeLag {
  uint32_t bytes = 0;
  bool recordingEarlier = false;
};
TakeLag LagOf(const RecordedTake& take);

// Where a take goes in a track of trackLength bytes: the track keeps its first `join`
// bytes, then gets `silence` zero bytes and the recorded file's bytes from readFrom to
// readTo, `written` bytes in all, then keeps whatever of it lies beyond join + written.
struct TakePlacement {
  uint32_t start = 0;  // the position the take is heard at
  uint32_t join = 0;
  uint32_t silence = 0;
  uint32_t readFrom = 0;
  uint32_t readTo = 0;
  uint32_t written = 0;
  // The stretch of the old track that the take replaces, and whether audio of the old
  // track follows it (the undo record).
  uint32_t replacedFirst = 0;
  uint32_t replacedLast = 0;
  int keepsTail = 0;
};
// False when the take brings nothing into the track (a punch take that ended before
// half a second past the begin marker, or nothing between the markers).
bool PlaceTake(const RecordedTake& take, uint32_t trackLength, TakePlacement* placement);

// Writes the placed take (its silence, then its audio) to target, 8192 bytes at a time,
// stepping progress; 1, 0 (reported) or 3 when the user cancelled.
int WriteRecordedFileToPCM(const RecordedTake& take, const TakePlacement& placement, std::FILE* target,
                           COperationDialog* progress);
