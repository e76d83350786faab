#include "document/marker_commands.h"

bool IsMarkerCommandEnabled(MarkerCommand command, const TrackPositions& pos) {
  const bool hasAudio = pos.m_nLength > 0;
  const bool beginSet = pos.m_nMarkerBegin != kMarkerNotSet;
  const bool endSet = pos.m_nMarkerEnd != kMarkerNotSet;
  const auto tracker = pos.m_nHighlightBegin;
  const auto begin = static_cast<uint32_t>(pos.m_nMarkerBegin);
  switch (command) {
    case MarkerCommand::SetBegin: return hasAudio && (!beginSet || (!endSet && tracker < begin));
    case MarkerCommand::SetEnd: return hasAudio && beginSet && !endSet && begin < tracker;
    case MarkerCommand::SetFromHighlight: return hasAudio && pos.HasHighlight();
    case MarkerCommand::EraseBegin: return beginSet;
    case MarkerCommand::EraseEnd: return endSet;
    case MarkerCommand::EraseBoth: return beginSet && endSet;
  }
  return false;
}

void ApplyMarkerCommand(MarkerCommand command, TrackPositions& pos) {
  const auto tracker = static_cast<int32_t>(pos.m_nHighlightBegin);
  switch (command) {
    case MarkerCommand::SetBegin:
      if (pos.m_nMarkerBegin != kMarkerNotSet) pos.m_nMarkerEnd = pos.m_nMarkerBegin;
      pos.m_nMarkerBegin = tracker;
      break;
    case MarkerCommand::SetEnd: pos.m_nMarkerEnd = tracker; break;
    case MarkerCommand::SetFromHighlight:
      pos.m_nMarkerBegin = static_cast<int32_t>(pos.m_nHighlightBegin);
      pos.m_nMarkerEnd = static_cast<int32_t>(pos.m_nHighlightEnd);
      break;
    case MarkerCommand::EraseBegin:
      pos.m_nMarkerBegin = pos.m_nMarkerEnd;
      pos.m_nMarkerEnd = kMarkerNotSet;
      break;
    case MarkerCommand::EraseEnd: pos.m_nMarkerEnd = kMarkerNotSet; break;
    case MarkerCommand::EraseBoth: pos.m_nMarkerBegin = pos.m_nMarkerEnd = kMarkerNotSet; break;
  }
}
