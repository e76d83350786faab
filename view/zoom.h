#pragma once

#include "document/audio_track.h"

namespace view {

// The zoom steps of the waveform view on the current track's positions. Each returns
// true when it changed the visible range.

// Narrows the view: to the highlight when one of its ends lies inside the view, by a
// quarter of the span at both ends when the highlight covers the view, and around the
// cursor to half the span when nothing is highlighted. With the cursor or the
// highlight outside the view (scrolled away), around the view's middle. A span under
// 9 bytes stays.
bool ZoomIn(TrackPositions& pos);
// Widens the view by a quarter of the span at both ends (8 bytes for spans under 20),
// within the track.
bool ZoomOut(TrackPositions& pos);
// Shows the whole track.
bool ZoomAll(TrackPositions& pos);

// Maps the view and the highlight into the peak data: each position scaled by the
// rendered length over the track length, frame-aligned.
void RescaleView(TrackPositions& pos);

}  // namespace view
