#pragma once

#include "document/audio_track.h"

// The marker commands on a track's positions; the tracker position is the highlight
// begin. The end marker is only ever set after a begin marker that lies before it.
enum class MarkerCommand { SetBegin, SetEnd, SetFromHighlight, EraseBegin, EraseEnd, EraseBoth };

bool IsMarkerCommandEnabled(MarkerCommand command, const TrackPositions& pos);
void ApplyMarkerCommand(MarkerCommand command, TrackPositions& pos);
