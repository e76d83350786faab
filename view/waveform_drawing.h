#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "view/view_geometry.h"

namespace view {

// The pens, brushes and font of the view, with their default colours; the wave,
// outline and marker ones follow the current track's colours.
struct DrawingObjects {
  platform::Pen black{{0, 0, 0}, 1, platform::PenStyle::Solid};
  platform::Pen lightGrey{{150, 150, 150}, 1, platform::PenStyle::Solid};
  platform::Pen lightGrey2{{150, 150, 150}, 2, platform::PenStyle::Solid};
  platform::Pen darkGrey{{100, 100, 100}, 1, platform::PenStyle::Dotted};
  platform::Pen outline{{125, 125, 0}, 1, platform::PenStyle::Solid};
  platform::Pen wave{{255, 0, 0}, 1, platform::PenStyle::Solid};
  platform::Pen marker{{255, 0, 0}, 1, platform::PenStyle::Dotted};
  platform::Pen marker2{{255, 0, 0}, 1, platform::PenStyle::Solid};
  platform::Brush waveBrush{{255, 0, 0}};
  platform::Brush outlineBrush{{125, 125, 0}};
  platform::Brush markerBrush{{255, 0, 0}};
  platform::Font font{"Arial", 10, {0, 0, 0}};
  platform::Rgb panel{220, 220, 220};
  platform::Rgb waveArea{180, 180, 180};
};

// The part of the current track that the waveform shows, and where to read it.
struct WaveSource {
  std::string pcmPath;
  std::string peakPath;
  uint32_t viewStart = 0;
  uint32_t viewWidth = 0;
  uint32_t scaledStart = 0;
  uint32_t scaledWidth = 0;
};

// Draws the stereo waveform of one view span into the waveform bitmap, reading the
// track's PCM file (spans up to 64,000 bytes) or its peak file (wider spans).
class WaveformDrawer {
 public:
  // buffer holds the data read for one paint; stop is polled between blocks and ends
  // the drawing when it turns true (the application shutting down).
  WaveformDrawer(platform::Canvas& bitmap, const ViewGeometry& geometry, const DrawingObjects& objects,
                 std::vector<uint8_t>& buffer, const bool* stop);

  // Draws the waveform of the mode; returns an empty text, or the failure to report.
  std::string Draw(DrawMode mode, const WaveSource& source);

  // The y of a 16-bit sample about a zero line.
  static int SampleY(int zeroLine, int quarter, int sample);

 private:
  // Reads count bytes of the track from position (from its end when the position lies
  // beyond it) into the buffer, zero-filling what the file does not have; the number
  // of bytes read, or -1 when the file does not open.
  long ReadPcm(const std::string& path, uint32_t position, uint32_t count);
  int Sample(uint32_t byte) const;
  // The frames as points, each with a square around it; the points are joined per
  // channel, from first to last.
  void DrawPoints(const std::vector<platform::Point>& left, const std::vector<platform::Point>& right);
  void DrawSamples(uint32_t span);
  void DrawLines(uint32_t span, long bytesRead);
  void DrawPcmEnvelope(uint32_t span);
  std::string DrawPeakEnvelope(const WaveSource& source);
  void ResetEnvelopes();
  void Extend(std::vector<int>& upper, std::vector<int>& lower, int x, int top, int bottom);
  void FillEnvelopes();

  platform::Canvas& m_bitmap;
  ViewGeometry m_geometry;
  const DrawingObjects& m_objects;
  std::vector<uint8_t>& m_buffer;
  const bool* m_stop;
  std::vector<int> m_upperLeft, m_lowerLeft, m_upperRight, m_lowerRight;
};

}  // namespace view
