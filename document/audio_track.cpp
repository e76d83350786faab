#include "document/audio_track.h"

#include <algorithm>

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

void TrackPositions::FitView(uint32_t viewStart, uint32_t viewEnd, uint32_t oldLength) {
  const uint32_t length = m_nLength;
  const bool wasWhole = viewStart == 0 && viewEnd >= oldLength;
  const uint32_t width = viewEnd > viewStart ? viewEnd - viewStart : 0;
  if (wasWhole || width == 0 || width >= length) {
    m_nViewStart = 0;
    m_nViewEnd = m_nViewWidth = length;
  } else {
    m_nViewStart = std::min(viewStart, length - width);
    m_nViewEnd = m_nViewStart + width;
    m_nViewWidth = width;
  }
  // The peak data's image of the view: each position x rendered length / length,
  // frame-aligned, as the view maps it.
  auto scaled = [this, length](uint32_t position) {
    if (length == 0) return 0u;
    return static_cast<uint32_t>(static_cast<double>(position) * (static_cast<double>(m_nRenderedLength) / length)) &
           ~3u;
  };
  m_nScaledViewStart = scaled(m_nViewStart);
  m_nScaledViewEnd = m_nViewEnd == length ? m_nRenderedLength : scaled(m_nViewEnd);
  m_nScaledViewWidth = m_nScaledViewEnd - m_nScaledViewStart;
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
