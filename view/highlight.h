#pragma once

#include <array>
#include <cstdint>

#include "platform/canvas.h"

namespace view {

// The waveform view's flags, kept among the current track's view values so that they
// travel with the track.
class ViewFlags {
 public:
  enum Index { kDragging, kDragged, kCursorShown, kCursorPending, kWholeRedraw, kCount };
  explicit ViewFlags(std::array<uint32_t, kCount>& values) : m_values(values) {}
  bool Get(Index index) const { return m_values[index] != 0; }
  void Set(Index index, bool on) { m_values[index] = on ? 1 : 0; }

 private:
  std::array<uint32_t, kCount>& m_values;
};

// The highlight's columns in the waveform bitmap: now, as last drawn, and where the
// current drag began. -1 lies before the view, width + 1 after it.
struct HighlightColumns {
  int x1 = -1, x2 = -1;
  int p1 = -1, p2 = -1;
  int anchor = 0;
};

// The waveform bitmap carries the highlight as inverted columns over its full height:
// the strip [x1, x2), or a one-pixel cursor column when x1 equals x2. These draw it
// and bring it up to date by inverting only what differs.
class HighlightPainter {
 public:
  HighlightPainter(platform::Canvas& bitmap, int width) : m_bitmap(bitmap), m_width(width) {}

  // Draws the highlight into a freshly painted bitmap and records it as drawn.
  void DrawFresh(HighlightColumns& columns, ViewFlags flags);
  // Inverts what changed since the columns were last drawn: the whole old and new
  // state after a double click, the changed strips during a drag, else the old state
  // and a cursor at x1. A cursor asked for through the pending flag is shown too.
  // Returns whether the bitmap changed.
  bool Redraw(HighlightColumns& columns, ViewFlags flags);

 private:
  // Inverts the columns between a and b (either order), within the bitmap.
  bool InvertStrip(int a, int b);
  // Inverts the cursor column at x; a cursor at the right edge shows in the last column.
  bool InvertCursor(int x);
  bool UndoDrawn(const HighlightColumns& columns, ViewFlags flags);

  platform::Canvas& m_bitmap;
  int m_width;
};

}  // namespace view
