#pragma once

#include <QImage>
#include <QPainter>
#include <memory>

#include "platform/canvas.h"

namespace ui {

// The canvas on a QImage, painted with QPainter without antialiasing, so that lines,
// fills and inversions land on whole pixels.
class QtCanvas : public platform::Canvas {
 public:
  // A canvas of width x height; IsNull when the image could not be allocated.
  QtCanvas(int width, int height, platform::Rgb background = {});
  ~QtCanvas() override;
  QtCanvas(const QtCanvas&) = delete;
  QtCanvas& operator=(const QtCanvas&) = delete;

  bool IsNull() const { return m_image.isNull(); }
  // The image as drawn so far.
  const QImage& Image() const;

  int Width() const override { return m_image.width(); }
  int Height() const override { return m_image.height(); }
  void SelectPen(const platform::Pen& pen) override { m_pen = pen; }
  void SelectBrush(const platform::Brush& brush) override { m_brush = brush; }
  void SelectFont(const platform::Font& font) override { m_font = font; }
  void FillRect(const platform::Rect& rect, platform::Rgb colour) override;
  void Polyline(std::span<const platform::Point> points) override;
  void Polygon(std::span<const platform::Point> points) override;
  void Rectangle(const platform::Rect& rect) override;
  void InvertRect(const platform::Rect& rect) override;
  void Text(platform::Point at, std::string_view text) override;
  void DrawBitmap(platform::BitmapId bitmap, platform::Point at) override;
  bool CopyFrom(const platform::Canvas& source, const platform::Rect& from, platform::Point to) override;

  // The image of one of the program's bitmaps.
  static const QImage& Bitmap(platform::BitmapId bitmap);

 private:
  QPainter& Painter();
  // Ends the painter, so that the image's pixels can be read or changed directly.
  void EndPainting() const;
  QPen ToQPen() const;

  mutable QImage m_image;
  mutable std::unique_ptr<QPainter> m_painter;
  platform::Pen m_pen;
  platform::Brush m_brush;
  platform::Font m_font;
};

QColor ToQColor(platform::Rgb colour);

}  // namespace ui
