#include "view/scroll.h"

#include <algorithm>

#include "view/zoom.h"

namespace view {

namespace {

constexpr uint32_t Frame(uint32_t bytes) {
  return bytes & ~3u;
}

// The last start that keeps a view of the present width within the track.
uint32_t LastStart(const TrackPositions& pos) {
  return pos.m_nViewWidth < pos.m_nLength ? pos.m_nLength - pos.m_nViewWidth : 0;
}

}  // namespace

bool ScrollTo(TrackPositions& pos, uint32_t start) {
  const uint32_t width = std::min(pos.m_nViewWidth, pos.m_nLength);
  pos.m_nViewWidth = width;
  // A track whose length is not whole frames still ends exactly at its last byte.
  const uint32_t last = LastStart(pos);
  const uint32_t newStart = start >= last ? last : Frame(start);
  const bool changed = newStart != pos.m_nViewStart || newStart + width != pos.m_nViewEnd;
  pos.m_nViewStart = newStart;
  pos.m_nViewEnd = newStart + width;
  RescaleView(pos);
  return changed;
}

bool ScrollBy(TrackPositions& pos, int64_t bytes) {
  const int64_t start = std::clamp<int64_t>(int64_t{pos.m_nViewStart} + bytes, 0, int64_t{LastStart(pos)});
  return ScrollTo(pos, static_cast<uint32_t>(start));
}

bool InView(const TrackPositions& pos, uint32_t position) {
  return position >= pos.m_nViewStart && position <= pos.m_nViewEnd;
}

bool ScrollIntoView(TrackPositions& pos, uint32_t position) {
  position = std::min(position, pos.m_nLength);
  if (InView(pos, position) && pos.m_nViewEnd <= pos.m_nLength) return false;
  const uint32_t half = pos.m_nViewWidth / 2;
  return ScrollTo(pos, position > half ? position - half : 0);
}

bool PageTo(TrackPositions& pos, uint32_t position) {
  return ScrollTo(pos, std::min(position, pos.m_nLength));
}

ScrollBarState ScrollBarFor(const TrackPositions& pos) {
  ScrollBarState state;
  const uint32_t width = std::min(pos.m_nViewWidth, pos.m_nLength);
  state.pageStep = std::max<int>(1, static_cast<int>(width / 4));
  state.singleStep = std::max(1, state.pageStep / 8);
  if (pos.m_nLength == 0 || width >= pos.m_nLength) return state;
  state.enabled = true;
  state.maximum = static_cast<int>((pos.m_nLength - width) / 4);
  state.value = std::min(static_cast<int>(pos.m_nViewStart / 4), state.maximum);
  return state;
}

}  // namespace view
