#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "audio_store/pcm_file.h"

class COperationDialog;

inline constexpr int32_t kMarkerNotSet = -1;

// A marker's 32 bits are a byte position read as unsigned (a track may be longer
// than 2 GiB); all bits set (kMarkerNotSet) means the marker is not set.
inline bool MarkerSet(int32_t marker) {
  return marker != kMarkerNotSet;
}
inline uint32_t MarkerValue(int32_t marker) {
  return static_cast<uint32_t>(marker);
}

// The position fields of a track that the document mirrors for its current track:
// highlight, visible range, length, markers, their scaled images in the rendered
// waveform, and the waveform view's own values.
struct TrackPositions {
  uint32_t m_nScaledHighlightBegin = 0;
  uint32_t m_nScaledHighlightEnd = 0;
  uint32_t m_nScaledViewStart = 0;
  uint32_t m_nScaledViewEnd = 0;
  uint32_t m_nRenderedLength = 0;
  uint32_t m_nScaledHighlightSpan = 0;
  uint32_t m_nScaledViewWidth = 0;
  uint32_t m_nHighlightBegin = 0;
  uint32_t m_nHighlightEnd = 0;
  uint32_t m_nViewStart = 0;
  uint32_t m_nViewEnd = 0;
  uint32_t m_nLength = 0;
  uint32_t m_nHighlightSpan = 0;
  uint32_t m_nViewWidth = 0;
  int32_t m_nMarkerBegin = kMarkerNotSet;
  int32_t m_nMarkerEnd = kMarkerNotSet;
  std::array<uint32_t, 5> m_viewValues{};

  bool HasHighlight() const { return m_nHighlightBegin != m_nHighlightEnd; }
  bool BothMarkersSet() const { return m_nMarkerBegin != kMarkerNotSet && m_nMarkerEnd != kMarkerNotSet; }
  // The positions of a freshly filled or emptied track of length and rendered length.
  void SetInitial(uint32_t length, uint32_t renderedLength);
  // The visible range after the track's length changed from oldLength to m_nLength,
  // given the range viewStart to viewEnd it had before: a view of the whole track
  // shows the whole track again; any other keeps its width (no wider than the track)
  // and its start, moved back as far as it takes to end within the track, so the
  // track's end can always be reached. The scaled view follows.
  void FitView(uint32_t viewStart, uint32_t viewEnd, uint32_t oldLength);
};

// One of the eight tracks: its PCM file, peak file, mixing-board flags and positions.
class CAudioTrack {
 public:
  CAudioTrack() { ResetAllParameters(); }

  // Zeroes the track's fields, clears the markers and the text; the file records,
  // the peak path, the scaled view end and the scaled view width stay.
  void ResetAllParameters();
  // Re-renders the peak file from the PCM file; 1, or 0 without a progress dialog.
  int CreatePeakFile(COperationDialog* progress);

  int16_t m_nTrackNumber = 0;
  bool bHasAudio = false;
  bool bNamesAssigned = false;
  std::string m_szText;
  PCMFile m_PCM;
  uint32_t m_nPeakLength = 0;
  bool m_bArmed = false;
  bool m_bMuted = false;
  bool m_bSolo = false;
  TrackPositions m_pos;
  std::array<int16_t, 4> m_viewShorts{};
  std::string m_szPeakPath;
};
