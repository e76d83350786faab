#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/canvas.h"

namespace platform {

// A canvas that draws nothing and records every call, with the pen, brush and font in
// effect, so that tests can check the geometry of a drawing. It also keeps which
// columns are inverted over the whole height: filling the whole surface clears that
// state, and every full-height inversion toggles its columns.
class RecordingCanvas : public Canvas {
 public:
  enum class Kind { Fill, Polyline, Polygon, Rectangle, Invert, Text, Bitmap, Copy };
  struct Call {
    Kind kind;
    Pen pen;
    Brush brush;
    Font font;
    Rgb colour;                 // Fill
    Rect rect;                  // Fill, Rectangle, Invert; the source part of a Copy
    std::vector<Point> points;  // Polyline, Polygon; the target of Text, Bitmap and Copy
    std::string text;
    BitmapId bitmap = BitmapId::LeftChannel;
    const Canvas* source = nullptr;
  };

  RecordingCanvas(int width, int height);

  int Width() const override { return m_width; }
  int Height() const override { return m_height; }
  void SelectPen(const Pen& pen) override { m_pen = pen; }
  void SelectBrush(const Brush& brush) override { m_brush = brush; }
  void SelectFont(const Font& font) override { m_font = font; }
  void FillRect(const Rect& rect, Rgb colour) override;
  void Polyline(std::span<const Point> points) override;
  void Polygon(std::span<const Point> points) override;
  void Rectangle(const Rect& rect) override;
  void InvertRect(const Rect& rect) override;
  void Text(Point at, std::string_view text) override;
  void DrawBitmap(BitmapId bitmap, Point at) override;
  bool CopyFrom(const Canvas& source, const Rect& from, Point to) override;

  const std::vector<Call>& Calls() const { return m_calls; }
  // The calls of one kind, in order.
  std::vector<Call> CallsOf(Kind kind) const;
  // Forgets the calls; the inversion state stays.
  void ClearCalls() { m_calls.clear(); }
  // The runs [first, last) of columns inverted over the whole height now.
  std::vector<std::pair<int, int>> InvertedRuns() const;

 private:
  Call Make(Kind kind) const;
  int m_width, m_height;
  Pen m_pen;
  Brush m_brush;
  Font m_font;
  std::vector<Call> m_calls;
  std::vector<bool> m_inverted;
};

}  // namespace platform
