#pragma once

#include <cstdint>

#include "document/audio_track.h"

namespace view {

// Moving the visible range along the current track without changing its width: the
// scroll bar, the wheel, a drag past the edge, playback and the position commands.
// Each keeps the view within the track (its end never past the track's end, so the
// end is always reachable), frame-aligned, rescales the peak view and returns true
// when the visible range changed.

// The view starts at start, or as near to it as the track allows.
bool ScrollTo(TrackPositions& pos, uint32_t start);
// The view moves by bytes (negative: towards the start).
bool ScrollBy(TrackPositions& pos, int64_t bytes);
// A position outside the view comes to its middle; one inside leaves it as it is. A
// position beyond the track shows the track's end.
bool ScrollIntoView(TrackPositions& pos, uint32_t position);
// Playback's page turn: the view starts at position (as near as the track allows).
bool PageTo(TrackPositions& pos, uint32_t position);

// Whether position lies in the view, its end included.
bool InView(const TrackPositions& pos, uint32_t position);

// The horizontal scroll bar of the view, in frames (4 bytes, so that a track of any
// length fits the toolkit's int range): value is the view start, pageStep the view
// width, maximum the last start that keeps the view within the track. Disabled, with
// nothing to move, when the whole track is in view.
struct ScrollBarState {
  bool enabled = false;
  int maximum = 0;
  int pageStep = 1;
  int singleStep = 1;
  int value = 0;

  bool operator==(const ScrollBarState&) const = default;
};
ScrollBarState ScrollBarFor(const TrackPositions& pos);

}  // namespace view
