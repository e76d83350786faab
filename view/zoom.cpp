#include "view/zoom.h"

#include "view/view_geometry.h"

namespace view {

namespace {

constexpr uint32_t Frame(uint32_t bytes) {
  return bytes & ~3u;
}

void SetView(TrackPositions& pos, uint32_t start, uint32_t end) {
  pos.m_nViewStart = start;
  pos.m_nViewEnd = end;
  pos.m_nViewWidth = end - start;
}

}  // namespace

bool ZoomIn(TrackPositions& pos) {
  const uint32_t span = pos.m_nViewWidth;
  if (span < 9) return false;
  const uint32_t e = Frame(span / 4);
  // Spans of 9 to 15 bytes have no whole frame to take off: the view would vanish.
  if (e == 0) return false;
  const uint32_t start = pos.m_nViewStart;
  const uint32_t end = pos.m_nViewEnd;
  if (pos.HasHighlight()) {
    const uint32_t begin = pos.m_nHighlightBegin;
    const uint32_t last = pos.m_nHighlightEnd;
    auto inside = [start, end](uint32_t at) { return at > start && at < end; };
    if (inside(begin) || inside(last)) {
      SetView(pos, begin, last);
      pos.m_nScaledViewStart = pos.m_nScaledHighlightBegin;
      pos.m_nScaledViewEnd = pos.m_nScaledHighlightEnd;
      pos.m_nScaledViewWidth = pos.m_nScaledViewEnd - pos.m_nScaledViewStart;
      return true;
    }
    if (begin <= start && last >= end) {
      SetView(pos, Frame(start) + e, Frame(end) - e);
      RescaleView(pos);
      return true;
    }
  }
  // Without a highlight, around the cursor; with the cursor or the highlight out of
  // sight (the view was scrolled away from it), around the view's middle.
  uint32_t cursor = pos.m_nHighlightBegin;
  if (pos.HasHighlight() || cursor < start || cursor > end) cursor = Frame(start + span / 2);
  uint32_t newStart = 0;
  uint32_t shortfall = 0;
  if (cursor < e) {
    shortfall = e - cursor;
  } else {
    newStart = cursor - e;
  }
  uint64_t newEnd = static_cast<uint64_t>(cursor) + e + shortfall;
  if (newEnd > pos.m_nLength) {
    const uint64_t excess = newEnd - pos.m_nLength;
    newEnd = pos.m_nLength;
    newStart = excess >= newStart ? 0 : newStart - static_cast<uint32_t>(excess);
  }
  SetView(pos, newStart, static_cast<uint32_t>(newEnd));
  RescaleView(pos);
  return true;
}

bool ZoomOut(TrackPositions& pos) {
  const uint32_t span = pos.m_nViewWidth;
  const uint32_t a = span >= 20 ? span / 4 : 8;
  const uint32_t start = Frame(pos.m_nViewStart > a ? pos.m_nViewStart - a : 0);
  const uint64_t wider = static_cast<uint64_t>(pos.m_nViewEnd) + a;
  const uint32_t end = Frame(wider < pos.m_nLength ? static_cast<uint32_t>(wider) : pos.m_nLength);
  const bool changed = start != pos.m_nViewStart || end != pos.m_nViewEnd;
  SetView(pos, start, end >= start ? end : start);
  RescaleView(pos);
  return changed;
}

bool ZoomAll(TrackPositions& pos) {
  const bool changed = pos.m_nViewStart != 0 || pos.m_nViewEnd != pos.m_nLength;
  SetView(pos, 0, pos.m_nLength);
  pos.m_nScaledViewStart = 0;
  pos.m_nScaledViewEnd = pos.m_nScaledViewWidth = pos.m_nRenderedLength;
  return changed;
}

void RescaleView(TrackPositions& pos) {
  const uint32_t rendered = pos.m_nRenderedLength;
  const uint32_t length = pos.m_nLength;
  pos.m_nScaledViewStart = ScaledPosition(pos.m_nViewStart, rendered, length);
  pos.m_nScaledViewEnd = ScaledPosition(pos.m_nViewEnd, rendered, length);
  pos.m_nScaledViewWidth = pos.m_nScaledViewEnd - pos.m_nScaledViewStart;
  pos.m_nScaledHighlightBegin = ScaledPosition(pos.m_nHighlightBegin, rendered, length);
  pos.m_nScaledHighlightEnd = ScaledPosition(pos.m_nHighlightEnd, rendered, length);
  pos.m_nScaledHighlightSpan = pos.m_nScaledHighlightEnd - pos.m_nScaledHighlightBegin;
}

}  // namespace view
