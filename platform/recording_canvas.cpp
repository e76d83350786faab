#include "platform/recording_canvas.h"

#include <algorithm>

namespace platform {

RecordingCanvas::RecordingCanvas(int width, int height)
    : m_width(width), m_height(height), m_inverted(static_cast<size_t>(std::max(width, 0)), false) {}

RecordingCanvas::Call RecordingCanvas::Make(Kind kind) const {
  Call call{};
  call.kind = kind;
  call.pen = m_pen;
  call.brush = m_brush;
  call.font = m_font;
  return call;
}

void RecordingCanvas::FillRect(const Rect& rect, Rgb colour) {
  Call call = Make(Kind::Fill);
  call.rect = rect;
  call.colour = colour;
  m_calls.push_back(std::move(call));
  if (rect.left <= 0 && rect.top <= 0 && rect.right >= m_width && rect.bottom >= m_height) {
    std::fill(m_inverted.begin(), m_inverted.end(), false);
  }
}

void RecordingCanvas::Polyline(std::span<const Point> points) {
  Call call = Make(Kind::Polyline);
  call.points.assign(points.begin(), points.end());
  m_calls.push_back(std::move(call));
}

void RecordingCanvas::Polygon(std::span<const Point> points) {
  Call call = Make(Kind::Polygon);
  call.points.assign(points.begin(), points.end());
  m_calls.push_back(std::move(call));
}

void RecordingCanvas::Rectangle(const Rect& rect) {
  Call call = Make(Kind::Rectangle);
  call.rect = rect;
  m_calls.push_back(std::move(call));
}

void RecordingCanvas::InvertRect(const Rect& rect) {
  Call call = Make(Kind::Invert);
  call.rect = rect;
  m_calls.push_back(std::move(call));
  if (rect.top <= 0 && rect.bottom >= m_height) {
    for (int x = std::max(rect.left, 0); x < std::min(rect.right, m_width); ++x) {
      m_inverted[static_cast<size_t>(x)] = !m_inverted[static_cast<size_t>(x)];
    }
  }
}

void RecordingCanvas::Text(Point at, std::string_view text) {
  Call call = Make(Kind::Text);
  call.points = {at};
  call.text = std::string(text);
  m_calls.push_back(std::move(call));
}

void RecordingCanvas::DrawBitmap(BitmapId bitmap, Point at) {
  Call call = Make(Kind::Bitmap);
  call.points = {at};
  call.bitmap = bitmap;
  m_calls.push_back(std::move(call));
}

bool RecordingCanvas::CopyFrom(const Canvas& source, const Rect& from, Point to) {
  if (!dynamic_cast<const RecordingCanvas*>(&source)) return false;
  Call call = Make(Kind::Copy);
  call.rect = from;
  call.points = {to};
  call.source = &source;
  m_calls.push_back(std::move(call));
  return true;
}

std::vector<RecordingCanvas::Call> RecordingCanvas::CallsOf(Kind kind) const {
  std::vector<Call> found;
  for (const Call& call : m_calls) {
    if (call.kind == kind) found.push_back(call);
  }
  return found;
}

std::vector<std::pair<int, int>> RecordingCanvas::InvertedRuns() const {
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < m_width; ++x) {
    if (!m_inverted[static_cast<size_t>(x)]) continue;
    if (!runs.empty() && runs.back().second == x) {
      runs.back().second = x + 1;
    } else {
      runs.emplace_back(x, x + 1);
    }
  }
  return runs;
}

}  // namespace platform
