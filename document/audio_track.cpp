#include "document/audio_track.h"

#include "audio_store/peak_file.h"

void TrackPositions::SetInitial(uint32_t length, uint32_t renderedLength) {
  m_nHighlightBegin = m_nHighlightEnd = m_nHighlightSpan = 0;
  m_nViewStart = 0;
  m_nViewEnd = m_nViewWidth = length;
  m_nScaledHighlightBegin = m_nScaledHighlightEnd = m_nScaledHighlightSpan = 0;
  m_nScaledViewStart = 0;
  m_nScaledViewEnd = m_nScaledViewWidth = renderedLength;
  m_nMarkerBegin = m_nMarkerEnd = kMarkerNotSet;
}

void CAudioTrack::ResetAllParameters() {
  uint32_t scaledViewEnd = m_pos.m_nScaledViewEnd;
  uint32_t scaledViewWidth = m_pos.m_nScaledViewWidth;
  m_pos = TrackPositions{};
  m_pos.m_nScaledViewEnd = scaledViewEnd;
  m_pos.m_nScaledViewWidth = scaledViewWidth;
  m_nTrackNumber = 0;
  bHasAudio = 0;
  bNamesAssigned = 0;
  m_szText.clear();
  m_nPeakLength = 0;
  m_bArmed = m_bMuted = m_bSolo = 0;
  m_viewShorts.fill(0);
}

int CAudioTrack::CreatePeakFile(COperationDialog* progress) {
  return RenderPeakFile(m_PCM, m_szPeakPath, progress, m_nPeakLength);
}
