#include "ui/waveform/qt_canvas.h"

#include <QFont>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <vector>

namespace ui {

namespace {

QRect ToQRect(const platform::Rect& rect) {
  return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

// A channel label: the word written upwards, as on a tape machine's meter bridge.
QImage MakeChannelLabel(int width, int height, const QString& word) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(8);
  font.setBold(true);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
  painter.setFont(font);
  painter.setPen(QColor(70, 70, 70));
  painter.translate(0, height);
  painter.rotate(-90);
  painter.drawText(QRect(0, 0, height, width), Qt::AlignCenter, word);
  return image;
}

// An edge of a polygon while the scan crosses it: x at the current row's centre, the
// change of x per row, and the first row below it.
struct ActiveEdge {
  double x;
  double step;
  int endRow;
};

// Fills the pixels whose centres lie inside the polygon (even-odd rule), scanning the
// rows with a sorted list of the edges each row crosses. QPainter's own aliased fill
// slows down badly on the jagged envelopes of a waveform, whose rows cross thousands
// of edges.
void FillPolygon(QImage& image, std::span<const platform::Point> points, QRgb colour) {
  const int width = image.width();
  const int height = image.height();
  std::vector<std::vector<ActiveEdge>> starting(static_cast<size_t>(height));
  const size_t count = points.size();
  for (size_t i = 0; i < count; ++i) {
    platform::Point a = points[i];
    platform::Point b = points[(i + 1) % count];
    if (a.y == b.y) continue;
    if (a.y > b.y) std::swap(a, b);
    // Rows whose centres y + 0.5 lie in [a.y, b.y): a.y to b.y - 1.
    const int first = std::max(a.y, 0);
    const int end = std::min(b.y, height);
    if (first >= end) continue;
    const double step = static_cast<double>(b.x - a.x) / (b.y - a.y);
    starting[static_cast<size_t>(first)].push_back({a.x + (first + 0.5 - a.y) * step, step, end});
  }
  auto byX = [](const ActiveEdge& l, const ActiveEdge& r) { return l.x < r.x; };
  std::vector<ActiveEdge> active;
  for (int y = 0; y < height; ++y) {
    std::erase_if(active, [y](const ActiveEdge& edge) { return edge.endRow <= y; });
    // Edges of a simple polygon keep their order from row to row: an insertion sort
    // finds little to do.
    for (size_t i = 1; i < active.size(); ++i) {
      for (size_t j = i; j > 0 && active[j].x < active[j - 1].x; --j) std::swap(active[j], active[j - 1]);
    }
    std::vector<ActiveEdge>& arriving = starting[static_cast<size_t>(y)];
    if (!arriving.empty()) {
      std::sort(arriving.begin(), arriving.end(), byX);
      const auto middle = static_cast<std::ptrdiff_t>(active.size());
      active.insert(active.end(), arriving.begin(), arriving.end());
      std::inplace_merge(active.begin(), active.begin() + middle, active.end(), byX);
    }
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (size_t i = 0; i + 1 < active.size(); i += 2) {
      const int from = std::max(static_cast<int>(std::ceil(active[i].x - 0.5)), 0);
      const int to = std::min(static_cast<int>(std::ceil(active[i + 1].x - 0.5)), width);
      for (int x = from; x < to; ++x) line[x] = colour;
    }
    for (ActiveEdge& edge : active) edge.x += edge.step;
  }
}

}  // namespace

QColor ToQColor(platform::Rgb colour) {
  return QColor(colour.red, colour.green, colour.blue);
}

QtCanvas::QtCanvas(int width, int height, platform::Rgb background)
    : m_image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32) {
  if (!m_image.isNull()) m_image.fill(ToQColor(background));
}

QtCanvas::~QtCanvas() {
  EndPainting();
}

const QImage& QtCanvas::Image() const {
  EndPainting();
  return m_image;
}

QPainter& QtCanvas::Painter() {
  if (!m_painter) {
    m_painter = std::make_unique<QPainter>(&m_image);
    m_painter->setRenderHint(QPainter::Antialiasing, false);
  }
  return *m_painter;
}

void QtCanvas::EndPainting() const {
  m_painter.reset();
}

QPen QtCanvas::ToQPen() const {
  QPen pen(ToQColor(m_pen.colour));
  pen.setWidth(std::max(m_pen.width, 1));
  // Cosmetic pens are drawn as pixel runs rather than stroked as outlines: a jagged
  // envelope of a few thousand points paints many times faster.
  pen.setCosmetic(true);
  if (m_pen.style == platform::PenStyle::Dotted) pen.setDashPattern({1.0, 1.0});
  pen.setCapStyle(Qt::SquareCap);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
}

void QtCanvas::FillRect(const platform::Rect& rect, platform::Rgb colour) {
  if (IsNull() || rect.Empty()) return;
  Painter().fillRect(ToQRect(rect), ToQColor(colour));
}

void QtCanvas::Polyline(std::span<const platform::Point> points) {
  if (IsNull() || points.empty()) return;
  QPolygon polygon(static_cast<int>(points.size()));
  for (size_t i = 0; i < points.size(); ++i) polygon.setPoint(static_cast<int>(i), points[i].x, points[i].y);
  QPainter& painter = Painter();
  painter.setPen(ToQPen());
  painter.setBrush(Qt::NoBrush);
  painter.drawPolyline(polygon);
}

void QtCanvas::Polygon(std::span<const platform::Point> points) {
  if (IsNull() || points.empty()) return;
  EndPainting();
  FillPolygon(m_image, points, ToQColor(m_brush.colour).rgb());
  QPolygon polygon(static_cast<int>(points.size()));
  for (size_t i = 0; i < points.size(); ++i) polygon.setPoint(static_cast<int>(i), points[i].x, points[i].y);
  QPainter& painter = Painter();
  painter.setPen(ToQPen());
  painter.setBrush(Qt::NoBrush);
  painter.drawPolygon(polygon);
}

void QtCanvas::Rectangle(const platform::Rect& rect) {
  if (IsNull() || rect.Empty()) return;
  QPainter& painter = Painter();
  painter.fillRect(ToQRect(rect), ToQColor(m_brush.colour));
  QPen pen = ToQPen();
  pen.setWidth(1);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  // An aliased one-pixel outline of a rectangle w x h covers w + 1 x h + 1 pixels.
  painter.drawRect(QRect(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1));
}

void QtCanvas::InvertRect(const platform::Rect& rect) {
  if (IsNull()) return;
  const QRect area = ToQRect(rect).intersected(m_image.rect());
  if (area.isEmpty()) return;
  EndPainting();
  for (int y = area.top(); y <= area.bottom(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(y));
    for (int x = area.left(); x <= area.right(); ++x) line[x] ^= 0x00FFFFFFu;
  }
}

void QtCanvas::Text(platform::Point at, std::string_view text) {
  if (IsNull() || text.empty()) return;
  QFont font(QString::fromStdString(m_font.family));
  font.setPixelSize(std::max(m_font.pixelHeight, 1));
  QPainter& painter = Painter();
  painter.setFont(font);
  painter.setPen(ToQColor(m_font.colour));
  const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  painter.drawText(QRect(at.x, at.y, m_image.width() + 1000, m_font.pixelHeight * 2),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, string);
}

const QImage& QtCanvas::Bitmap(platform::BitmapId bitmap) {
  static const QImage left = MakeChannelLabel(7, 59, QStringLiteral("LEFT"));
  static const QImage right = MakeChannelLabel(7, 66, QStringLiteral("RIGHT"));
  return bitmap == platform::BitmapId::LeftChannel ? left : right;
}

void QtCanvas::DrawBitmap(platform::BitmapId bitmap, platform::Point at) {
  if (IsNull()) return;
  Painter().drawImage(QPoint(at.x, at.y), Bitmap(bitmap));
}

bool QtCanvas::CopyFrom(const platform::Canvas& source, const platform::Rect& from, platform::Point to) {
  const auto* image = dynamic_cast<const QtCanvas*>(&source);
  if (!image || image == this || IsNull() || image->IsNull()) return false;
  if (from.Empty()) return true;
  QPainter& painter = Painter();
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(QPoint(to.x, to.y), image->Image(), ToQRect(from));
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  return true;
}

}  // namespace ui
