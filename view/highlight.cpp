#include "view/highlight.h"

#include <algorithm>

namespace view {

bool HighlightPainter::InvertStrip(int a, int b) {
  const int low = std::clamp(std::min(a, b), 0, m_width);
  const int high = std::clamp(std::max(a, b), 0, m_width);
  if (low >= high) return false;
  m_bitmap.InvertRect({low, 0, high, m_bitmap.Height()});
  return true;
}

bool HighlightPainter::InvertCursor(int x) {
  if (x < 0 || x > m_width || m_width <= 0) return false;
  const int column = std::min(x, m_width - 1);
  m_bitmap.InvertRect({column, 0, column + 1, m_bitmap.Height()});
  return true;
}

bool HighlightPainter::UndoDrawn(const HighlightColumns& columns, ViewFlags flags) {
  if (flags.Get(ViewFlags::kCursorShown)) return InvertCursor(columns.p1);
  return InvertStrip(columns.p1, columns.p2);
}

void HighlightPainter::DrawFresh(HighlightColumns& columns, ViewFlags flags) {
  if (columns.x1 == columns.x2) {
    flags.Set(ViewFlags::kCursorShown, InvertCursor(columns.x1));
  } else {
    InvertStrip(columns.x1, columns.x2);
    flags.Set(ViewFlags::kCursorShown, false);
  }
  columns.p1 = columns.x1;
  columns.p2 = columns.x2;
}

bool HighlightPainter::Redraw(HighlightColumns& columns, ViewFlags flags) {
  bool drew = false;
  const bool whole = flags.Get(ViewFlags::kWholeRedraw);
  if (whole || columns.x1 != columns.p1 || columns.x2 != columns.p2) {
    if (whole) {
      drew |= UndoDrawn(columns, flags);
      drew |= InvertStrip(columns.x1, columns.x2);
      flags.Set(ViewFlags::kWholeRedraw, false);
      flags.Set(ViewFlags::kCursorShown, false);
    } else if (flags.Get(ViewFlags::kDragged)) {
      if (flags.Get(ViewFlags::kCursorShown)) {
        drew |= InvertCursor(columns.p1);
        flags.Set(ViewFlags::kCursorShown, false);
        drew |= InvertStrip(columns.x1, columns.x2);
      } else {
        // [p1, p2) and [x1, x2) differ exactly by [p1, x1) and [p2, x2): one of them
        // is empty while a drag stays on one side of its anchor, and the two meet
        // at the anchor when it crosses over.
        drew |= InvertStrip(columns.p1, columns.x1);
        drew |= InvertStrip(columns.p2, columns.x2);
      }
    } else {
      drew |= UndoDrawn(columns, flags);
      drew |= InvertCursor(columns.x1);
      flags.Set(ViewFlags::kCursorShown, true);
    }
  }
  if (flags.Get(ViewFlags::kCursorPending) && columns.x1 == columns.x2 && !flags.Get(ViewFlags::kCursorShown)) {
    if (InvertCursor(columns.x1)) {
      drew = true;
      flags.Set(ViewFlags::kCursorShown, true);
    }
  }
  columns.p1 = columns.x1;
  columns.p2 = columns.x2;
  flags.Set(ViewFlags::kCursorPending, false);
  return drew;
}

}  // namespace view
