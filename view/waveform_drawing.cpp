#include "view/waveform_drawing.h"

#include <sys/types.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace view {

namespace {

// Closes a file at the end of a drawing step.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenForDrawing(const std::string& path) {
  return File(std::fopen(path.c_str(), "rb"));
}

}  // namespace

WaveformDrawer::WaveformDrawer(platform::Canvas& bitmap, const ViewGeometry& geometry, const DrawingObjects& objects,
                               std::vector<uint8_t>& buffer, const bool* stop)
    : m_bitmap(bitmap), m_geometry(geometry), m_objects(objects), m_buffer(buffer), m_stop(stop) {
  m_buffer.resize(kDataBufferSize);
}

int WaveformDrawer::SampleY(int zeroLine, int quarter, int sample) {
  return static_cast<int>(std::trunc(zeroLine - static_cast<double>(sample) * quarter / 32767.0));
}

long WaveformDrawer::ReadPcm(const std::string& path, uint32_t position, uint32_t count) {
  File file = OpenForDrawing(path);
  if (!file) return -1;
  std::fill(m_buffer.begin(), m_buffer.end(), 0);
  if (fseeko(file.get(), 0, SEEK_END) != 0) return 0;
  const off_t size = ftello(file.get());
  const off_t from = std::min<off_t>(position, std::max<off_t>(size, 0));
  if (fseeko(file.get(), from, SEEK_SET) != 0) return 0;
  return static_cast<long>(std::fread(m_buffer.data(), 1, std::min<size_t>(count, m_buffer.size()), file.get()));
}

int WaveformDrawer::Sample(uint32_t byte) const {
  if (static_cast<size_t>(byte) + 1 >= m_buffer.size()) return 0;
  return static_cast<int16_t>(static_cast<uint16_t>(m_buffer[byte] | (m_buffer[byte + 1] << 8)));
}

std::string WaveformDrawer::Draw(DrawMode mode, const WaveSource& source) {
  const uint32_t span = source.viewWidth;
  switch (mode) {
    case DrawMode::None: return {};
    case DrawMode::Samples:
      if (ReadPcm(source.pcmPath, source.viewStart, span) < 0) {
        return "Failed to open track for drawing " + source.pcmPath + ".";
      }
      DrawSamples(span);
      return {};
    case DrawMode::Lines: {
      // One frame more than the span: the frame just after the view ends the line.
      long read = ReadPcm(source.pcmPath, source.viewStart, span + 4);
      if (read < 0) return "Failed to open track for drawing in Line Limit " + source.pcmPath + ".";
      DrawLines(span, read);
      return {};
    }
    case DrawMode::PcmEnvelope:
      if (ReadPcm(source.pcmPath, source.viewStart, span) < 0) {
        return "Failed to open track for drawing in Peak Limit " + source.pcmPath + ".";
      }
      DrawPcmEnvelope(span);
      return {};
    case DrawMode::PeakEnvelope: return DrawPeakEnvelope(source);
  }
  return {};
}

void WaveformDrawer::DrawPoints(const std::vector<platform::Point>& left, const std::vector<platform::Point>& right) {
  m_bitmap.SelectPen(m_objects.wave);
  m_bitmap.SelectBrush(m_objects.waveBrush);
  m_bitmap.Polyline(left);
  m_bitmap.Polyline(right);
}

void WaveformDrawer::DrawSamples(uint32_t span) {
  const int width = m_geometry.width;
  const int q = m_geometry.quarter;
  const int step = static_cast<int>(std::trunc(4.0 * width / span));
  const uint32_t frames = span / 4;
  std::vector<platform::Point> left{{0, m_geometry.LeftZeroLine()}};
  std::vector<platform::Point> right{{0, m_geometry.RightZeroLine()}};
  for (uint32_t n = 1; n <= frames; ++n) {
    const uint32_t byte = (n - 1) * 4;
    const int x = static_cast<int>(n) * step;
    left.push_back({x, SampleY(m_geometry.LeftZeroLine(), q, Sample(byte))});
    right.push_back({x, SampleY(m_geometry.RightZeroLine(), q, Sample(byte + 2))});
  }
  left.push_back({width, m_geometry.LeftZeroLine()});
  right.push_back({width, m_geometry.RightZeroLine()});
  DrawPoints(left, right);
  // The squares mark the frames, not the ends of the zero line.
  for (const auto* channel : {&left, &right}) {
    for (size_t i = 1; i + 1 < channel->size(); ++i) {
      const platform::Point p = (*channel)[i];
      m_bitmap.Rectangle({p.x - 2, p.y - 2, p.x + 2, p.y + 2});
    }
  }
}

void WaveformDrawer::DrawLines(uint32_t span, long bytesRead) {
  const int width = m_geometry.width;
  const int q = m_geometry.quarter;
  std::vector<platform::Point> left, right;
  for (uint32_t offset = 0; offset + 4 <= span; offset += 4) {
    const int x = static_cast<int>(std::trunc(static_cast<double>(offset) * width / span));
    left.push_back({x, SampleY(m_geometry.LeftZeroLine(), q, Sample(offset))});
    right.push_back({x, SampleY(m_geometry.RightZeroLine(), q, Sample(offset + 2))});
  }
  if (bytesRead >= static_cast<long>(span) + 4) {
    left.push_back({width, SampleY(m_geometry.LeftZeroLine(), q, Sample(span))});
    right.push_back({width, SampleY(m_geometry.RightZeroLine(), q, Sample(span + 2))});
  }
  DrawPoints(left, right);
  for (const auto* channel : {&left, &right}) {
    for (const platform::Point& p : *channel) m_bitmap.Rectangle({p.x - 2, p.y - 2, p.x + 2, p.y + 2});
  }
}

void WaveformDrawer::ResetEnvelopes() {
  const auto columns = static_cast<size_t>(m_geometry.width);
  m_upperLeft.assign(columns, m_geometry.LeftZeroLine());
  m_lowerLeft.assign(columns, m_geometry.LeftZeroLine());
  m_upperRight.assign(columns, m_geometry.RightZeroLine());
  m_lowerRight.assign(columns, m_geometry.RightZeroLine());
}

void WaveformDrawer::Extend(std::vector<int>& upper, std::vector<int>& lower, int x, int top, int bottom) {
  if (x < 0 || x >= m_geometry.width) return;
  const auto column = static_cast<size_t>(x);
  upper[column] = std::min(upper[column], top);
  lower[column] = std::max(lower[column], bottom);
}

void WaveformDrawer::FillEnvelopes() {
  m_bitmap.SelectPen(m_objects.outline);
  m_bitmap.SelectBrush(m_objects.waveBrush);
  std::vector<platform::Point> outline;
  outline.reserve(2 * m_upperLeft.size());
  for (const auto& [upper, lower] : {std::pair{&m_upperLeft, &m_lowerLeft}, std::pair{&m_upperRight, &m_lowerRight}}) {
    outline.clear();
    const int columns = static_cast<int>(upper->size());
    for (int x = 0; x < columns; ++x) outline.push_back({x, (*upper)[static_cast<size_t>(x)]});
    for (int x = columns - 1; x >= 0; --x) outline.push_back({x, (*lower)[static_cast<size_t>(x)]});
    m_bitmap.Polygon(outline);
  }
}

void WaveformDrawer::DrawPcmEnvelope(uint32_t span) {
  const int width = m_geometry.width;
  const int q = m_geometry.quarter;
  uint32_t step = static_cast<uint32_t>(std::trunc(static_cast<double>(span) / width * 0.03125)) & ~3u;
  step = std::max<uint32_t>(step, 4);
  ResetEnvelopes();
  for (uint32_t offset = 0; offset < span; offset += step) {
    if (m_stop && *m_stop) return;
    const int x = static_cast<int>(std::trunc(static_cast<double>(offset) * width / span));
    const int left = SampleY(m_geometry.LeftZeroLine(), q, Sample(offset));
    const int right = SampleY(m_geometry.RightZeroLine(), q, Sample(offset + 2));
    Extend(m_upperLeft, m_lowerLeft, x, left, left);
    Extend(m_upperRight, m_lowerRight, x, right, right);
  }
  FillEnvelopes();
}

std::string WaveformDrawer::DrawPeakEnvelope(const WaveSource& source) {
  File file = OpenForDrawing(source.peakPath);
  if (!file) return "Failed to open track for drawing in Final Draw " + source.peakPath + ".";
  const int width = m_geometry.width;
  const int q = m_geometry.quarter;
  const uint64_t start = source.scaledStart;
  const uint64_t end = start + source.scaledWidth;
  uint64_t step = static_cast<uint64_t>(std::trunc(static_cast<double>(source.scaledWidth) / width * 0.00390625));
  step = std::max<uint64_t>(step & ~uint64_t{1}, 2);
  ResetEnvelopes();

  uint64_t blockStart = start;
  size_t got = 0;
  bool loaded = false;
  for (uint64_t index = start; index < end; index += step) {
    if (!loaded || index - blockStart >= kDataBufferSize) {
      if (m_stop && *m_stop) return {};
      if (loaded) blockStart += (index - blockStart) / kDataBufferSize * kDataBufferSize;
      if (fseeko(file.get(), static_cast<off_t>(blockStart), SEEK_SET) != 0) break;
      got = std::fread(m_buffer.data(), 1, kDataBufferSize, file.get());
      loaded = true;
    }
    const size_t at = static_cast<size_t>(index - blockStart);
    if (at + 1 >= got) break;  // the peak file ends here
    const int x = static_cast<int>(std::trunc(static_cast<double>(index - start) * width / source.scaledWidth));
    const int left = q * m_buffer[at] / 256;
    const int right = q * m_buffer[at + 1] / 256;
    Extend(m_upperLeft, m_lowerLeft, x, m_geometry.LeftZeroLine() - left, m_geometry.LeftZeroLine() + left);
    Extend(m_upperRight, m_lowerRight, x, m_geometry.RightZeroLine() - right, m_geometry.RightZeroLine() + right);
  }
  FillEnvelopes();
  return {};
}

}  // namespace view
