#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace platform {

struct Rgb {
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Rgb&) const = default;
};

enum class PenStyle : uint8_t { Solid, Dotted };

// The pen of lines and outlines. A dotted pen sets every other pixel.
struct Pen {
  Rgb colour;
  int width = 1;
  PenStyle style = PenStyle::Solid;
  bool operator==(const Pen&) const = default;
};

// The brush that fills polygons and rectangles.
struct Brush {
  Rgb colour;
  bool operator==(const Brush&) const = default;
};

// The font of text, by family and cell height in pixels; text is drawn in colour on a
// transparent background.
struct Font {
  std::string family;
  int pixelHeight = 10;
  Rgb colour;
  bool operator==(const Font&) const = default;
};

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

// The pixels left <= x < right, top <= y < bottom.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect&) const = default;
};

// The program's own bitmaps, by resource number.
enum class BitmapId : int {
  LeftChannel = 236,   // 7 x 59, the label beside the left channel
  RightChannel = 237,  // 7 x 66, the label beside the right channel
};

// A drawing surface of fixed size: a window's image or an off-screen bitmap. Lines,
// outlines and fills use the pen and brush selected last; nothing is drawn outside the
// surface.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  virtual void SelectPen(const Pen& pen) = 0;
  virtual void SelectBrush(const Brush& brush) = 0;
  virtual void SelectFont(const Font& font) = 0;

  // Sets every pixel of rect to colour; neither pen nor brush takes part.
  virtual void FillRect(const Rect& rect, Rgb colour) = 0;
  // Lines through the points in order, with the pen.
  virtual void Polyline(std::span<const Point> points) = 0;
  // The closed polygon through the points, filled with the brush and outlined with the pen.
  virtual void Polygon(std::span<const Point> points) = 0;
  // The rectangle's pixels, filled with the brush inside an outline of the pen.
  virtual void Rectangle(const Rect& rect) = 0;
  // Inverts every colour component of the pixels of rect.
  virtual void InvertRect(const Rect& rect) = 0;
  // Text with the top left of its cell at the point, in the selected font.
  virtual void Text(Point at, std::string_view text) = 0;
  virtual void DrawBitmap(BitmapId bitmap, Point at) = 0;
  // Copies the part from of source to this surface, its top left at to. False when
  // the source is not a surface of the same kind.
  virtual bool CopyFrom(const Canvas& source, const Rect& from, Point to) = 0;

  // One straight line from a to b with the pen.
  void Line(Point a, Point b) {
    const Point points[] = {a, b};
    Polyline(points);
  }
};

}  // namespace platform
