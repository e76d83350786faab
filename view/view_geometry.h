#pragma once

#include <array>
#include <cstdint>

#include "platform/canvas.h"

namespace view {

// Widths of the panels beside the waveform and the height of the strip below it.
inline constexpr int kPanelWidth = 35;
inline constexpr int kStripHeight = 13;
inline constexpr int kZoomButtonSize = 24;

// The layout of the view for a client area of width x height: the waveform area
// between the two panels and above the time strip, and its quarter lines.
struct ViewGeometry {
  int clientWidth = 0;
  int clientHeight = 0;
  int width = 0;    // W: the waveform area's width
  int height = 0;   // H: the waveform area's height
  int quarter = 0;  // q: H / 4

  static ViewGeometry For(int clientWidth, int clientHeight);
  // Whether there is room for a waveform at all.
  bool HasWaveArea() const { return width > 0 && height > 0; }
  int LeftZeroLine() const { return quarter; }
  int Divider() const { return 2 * quarter; }
  int RightZeroLine() const { return 3 * quarter; }
  // The zoom-in, zoom-out and zoom-all buttons, in client coordinates.
  std::array<platform::Rect, 3> ZoomButtons() const;
};

// The column of a byte position in a waveform of width columns showing viewWidth bytes
// from viewStart: -1 before the view, width + 1 after it.
int ColumnOf(uint32_t position, uint32_t viewStart, uint32_t viewWidth, int width);
// The frame-aligned byte position under column x.
uint32_t PositionOf(int x, uint32_t viewStart, uint32_t viewWidth, int width);
// position scaled by numerator / denominator (0 when the denominator is 0), rounded
// down to a frame: a byte position's place in the peak data.
uint32_t ScaledPosition(uint32_t position, uint32_t numerator, uint32_t denominator);

// How the waveform is drawn for a view span.
enum class DrawMode {
  None,          // nothing to draw
  Samples,       // under 128 bytes: frames spread out, with squares
  Lines,         // under 2,048 bytes: every frame joined, with squares
  PcmEnvelope,   // up to 64,000 bytes: per column extremes of the PCM data
  PeakEnvelope,  // beyond: per column extremes of the peak file
};
inline constexpr uint32_t kLineLimit = 128;
inline constexpr uint32_t kPeakLimit = 2048;
inline constexpr uint32_t kDataBufferSize = 64000;

DrawMode ModeForSpan(uint32_t span);

}  // namespace view
