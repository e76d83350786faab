#include "view/view_geometry.h"

#include <cmath>

namespace view {

ViewGeometry ViewGeometry::For(int clientWidth, int clientHeight) {
  ViewGeometry geometry;
  geometry.clientWidth = clientWidth;
  geometry.clientHeight = clientHeight;
  geometry.width = clientWidth - 2 * kPanelWidth;
  geometry.height = clientHeight - kStripHeight;
  geometry.quarter = geometry.height > 0 ? geometry.height / 4 : 0;
  return geometry;
}

std::array<platform::Rect, 3> ViewGeometry::ZoomButtons() const {
  const int left = clientWidth - kZoomButtonSize;
  const int allTop = clientHeight - kStripHeight - kZoomButtonSize;
  const int outTop = allTop - kZoomButtonSize;
  const int inTop = outTop - kZoomButtonSize;
  auto at = [left](int top) { return platform::Rect{left, top, left + kZoomButtonSize, top + kZoomButtonSize}; };
  return {at(inTop), at(outTop), at(allTop)};
}

int ColumnOf(uint32_t position, uint32_t viewStart, uint32_t viewWidth, int width) {
  if (position < viewStart) return -1;
  const uint64_t offset = position - viewStart;
  if (offset > viewWidth) return width + 1;
  if (viewWidth == 0) return 0;
  // Multiplying first keeps whole results whole (700 / 1000 x 352800 would not be).
  return static_cast<int>(std::trunc(static_cast<double>(offset) * width / viewWidth));
}

uint32_t PositionOf(int x, uint32_t viewStart, uint32_t viewWidth, int width) {
  if (width <= 0) return viewStart & ~3u;
  double position = std::trunc(static_cast<double>(x) * viewWidth / width + viewStart);
  return static_cast<uint32_t>(position) & ~3u;
}

uint32_t ScaledPosition(uint32_t position, uint32_t numerator, uint32_t denominator) {
  if (denominator == 0) return 0;
  double scaled = static_cast<double>(position) * (static_cast<double>(numerator) / denominator);
  return static_cast<uint32_t>(scaled) & ~3u;
}

DrawMode ModeForSpan(uint32_t span) {
  if (span == 0) return DrawMode::None;
  if (span < kLineLimit) return DrawMode::Samples;
  if (span < kPeakLimit) return DrawMode::Lines;
  if (span <= kDataBufferSize) return DrawMode::PcmEnvelope;
  return DrawMode::PeakEnvelope;
}

}  // namespace view
