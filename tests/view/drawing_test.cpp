// What the view draws: the mode for each span with its columns, the envelopes, the
// markers, the highlight, the panels, and how it fails.

#include <cstdio>
#include <filesystem>

#include "tests/view/view_fixture.h"

namespace {

using Kind = platform::RecordingCanvas::Kind;
using platform::Point;
using platform::Rect;
using platform::Rgb;

constexpr Rgb kBlue{0, 128, 255};
constexpr Rgb kWhite{225, 225, 225};

std::vector<Point> PolylinePoints(platform::RecordingCanvas& canvas, size_t index) {
  auto lines = canvas.CallsOf(Kind::Polyline);
  return index < lines.size() ? lines[index].points : std::vector<Point>{};
}

// The polygon of an envelope as its upper and lower edge, column by column.
struct Envelope {
  std::vector<int> upper, lower;
};
Envelope EdgesOf(const std::vector<Point>& polygon) {
  Envelope edges;
  const size_t columns = polygon.size() / 2;
  for (size_t x = 0; x < columns; ++x) {
    edges.upper.push_back(polygon[x].y);
    edges.lower.push_back(polygon[polygon.size() - 1 - x].y);
  }
  return edges;
}

TEST_F(ViewTest, TheSpanChoosesSamplesLinesPcmEnvelopeOrPeakFile) {
  // Loud everywhere but in the frames that peak rendering examines (every fourth):
  // an envelope from the PCM data reaches full scale, one from the peak file stays flat.
  LoadTrack(0, 100000, [](uint32_t n) { return n % 4 == 0 ? Frame16{0, 0} : Frame16{32767, -32767}; });
  struct Case {
    uint32_t span;
    view::DrawMode mode;
    size_t points;  // of each polyline; for envelopes the polygon's 2 x width
  };
  const Case cases[] = {
      {100, view::DrawMode::Samples, 25 + 2},      {124, view::DrawMode::Samples, 31 + 2},
      {128, view::DrawMode::Lines, 32 + 1},        {2044, view::DrawMode::Lines, 511 + 1},
      {2048, view::DrawMode::PcmEnvelope, 2000},   {64000, view::DrawMode::PcmEnvelope, 2000},
      {64004, view::DrawMode::PeakEnvelope, 2000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.span);
    SetView(0, c.span);
    Paint();
    EXPECT_EQ(view->LastDrawMode(), c.mode);
    const bool envelope = c.mode == view::DrawMode::PcmEnvelope || c.mode == view::DrawMode::PeakEnvelope;
    auto shapes = Wave().CallsOf(envelope ? Kind::Polygon : Kind::Polyline);
    // Beside the waveform's two shapes the grid draws its divider and quarter lines.
    auto waveShapes = std::count_if(shapes.begin(), shapes.end(), [](const auto& call) {
      return call.pen.colour != Rgb{150, 150, 150} && call.pen.colour != Rgb{100, 100, 100};
    });
    ASSERT_EQ(waveShapes, 2);
    EXPECT_EQ(shapes[0].points.size(), c.points);
    if (envelope) {
      Envelope left = EdgesOf(shapes[0].points);
      const int top = *std::min_element(left.upper.begin(), left.upper.end());
      EXPECT_EQ(top, c.mode == view::DrawMode::PcmEnvelope ? 0 : 100);
    } else {
      EXPECT_EQ(Wave().CallsOf(Kind::Rectangle).size(), 2 * (c.points - (c.mode == view::DrawMode::Samples ? 2 : 0)));
    }
    Wave().ClearCalls();
  }
}

TEST_F(ViewTest, SampleModeSpreadsTheFramesEvenlyWithASquareEach) {
  LoadTrack(0, 1000, [](uint32_t n) { return Frame16{n % 2 == 0 ? int16_t{32767} : int16_t{-32767}, 0}; });
  SetView(0, 100);  // 25 frames across 1000 columns: one every 40
  Paint();
  std::vector<Point> left = PolylinePoints(Wave(), 0);
  ASSERT_EQ(left.size(), 27u);
  EXPECT_EQ(left.front(), (Point{0, 100}));
  EXPECT_EQ(left[1], (Point{40, 0}));
  EXPECT_EQ(left[2], (Point{80, 200}));
  EXPECT_EQ(left[25], (Point{1000, 0}));
  EXPECT_EQ(left.back(), (Point{1000, 100}));
  std::vector<Point> right = PolylinePoints(Wave(), 1);
  EXPECT_TRUE(std::all_of(right.begin(), right.end(), [](Point p) { return p.y == 300; }));

  auto squares = Wave().CallsOf(Kind::Rectangle);
  ASSERT_EQ(squares.size(), 50u);
  EXPECT_EQ(squares[0].rect, (Rect{38, -2, 42, 2}));
  EXPECT_EQ(squares[0].brush.colour, kBlue);
  EXPECT_EQ(Wave().CallsOf(Kind::Polyline)[0].pen.colour, kBlue);
}

TEST_F(ViewTest, LineModeJoinsEveryFrameAndEndsOnTheFrameAfterTheView) {
  LoadTrack(0, 1000, [](uint32_t n) { return Frame16{n == 132 ? int16_t{32767} : int16_t{0}, 0}; });
  SetView(400, 528);
  Paint();
  std::vector<Point> left = PolylinePoints(Wave(), 0);
  ASSERT_EQ(left.size(), 33u);
  EXPECT_EQ(left[0], (Point{0, 100}));
  EXPECT_EQ(left[1].x, 31);  // 4 / 128 of 1000 columns
  EXPECT_EQ(left[31].x, 968);
  EXPECT_EQ(left[32], (Point{1000, 0}));  // frame 132, just after the view

  // At the end of the track there is no frame after the view.
  SetView(3872, 4000);
  Wave().ClearCalls();
  Paint();
  EXPECT_EQ(PolylinePoints(Wave(), 0).size(), 32u);
}

TEST_F(ViewTest, EnvelopesReachTheExtremesOfEachColumnFromTheZeroLine) {
  // 64,000 bytes in 1000 columns: frames 8000 to 8015 are column 500.
  LoadTrack(0, 16000, [](uint32_t n) { return n >= 8000 && n < 8016 ? Frame16{32767, -32767} : Frame16{0, 0}; });
  Paint();
  ASSERT_EQ(view->LastDrawMode(), view::DrawMode::PcmEnvelope);
  auto polygons = Wave().CallsOf(Kind::Polygon);
  ASSERT_EQ(polygons.size(), 2u);
  Envelope expectedLeft{std::vector<int>(1000, 100), std::vector<int>(1000, 100)};
  expectedLeft.upper[500] = 0;
  Envelope expectedRight{std::vector<int>(1000, 300), std::vector<int>(1000, 300)};
  expectedRight.lower[500] = 400;
  Envelope left = EdgesOf(polygons[0].points);
  Envelope right = EdgesOf(polygons[1].points);
  EXPECT_EQ(left.upper, expectedLeft.upper);
  EXPECT_EQ(left.lower, expectedLeft.lower);
  EXPECT_EQ(right.upper, expectedRight.upper);
  EXPECT_EQ(right.lower, expectedRight.lower);
  EXPECT_EQ(polygons[0].brush.colour, kBlue);
  EXPECT_EQ(polygons[0].pen.colour, (Rgb{0, 0, 0}));  // the outline colour
}

TEST_F(ViewTest, PeakEnvelopeScalesEachEntryToTheQuarterHeight) {
  // 1,000,000 bytes at zoom all; a loud passage from byte 500,000 for 12,800 bytes:
  // left peaks of 255 (99 of 100 pixels), right of 128 (half the quarter).
  LoadTrack(0, 250000, [](uint32_t n) { return n >= 125000 && n < 128200 ? Frame16{32767, 16384} : Frame16{0, 0}; });
  Paint();
  ASSERT_EQ(view->LastDrawMode(), view::DrawMode::PeakEnvelope);
  auto polygons = Wave().CallsOf(Kind::Polygon);
  ASSERT_EQ(polygons.size(), 2u);
  Envelope left = EdgesOf(polygons[0].points);
  Envelope right = EdgesOf(polygons[1].points);
  EXPECT_EQ(left.upper[505], 1);
  EXPECT_EQ(left.lower[505], 199);
  EXPECT_EQ(right.upper[505], 250);
  EXPECT_EQ(right.lower[505], 350);
  EXPECT_EQ(left.upper[100], 100);
  EXPECT_EQ(left.upper[520], 100);
}

TEST_F(ViewTest, MarkersAreDrawnWithTheirFlagsOnlyInsideTheView) {
  LoadTrack(0, 100000, [](uint32_t) { return Frame16{0, 0}; });
  doc->m_mirror.m_nMarkerBegin = 100000;
  doc->m_mirror.m_nMarkerEnd = 300000;
  auto markerCalls = [this] {
    std::vector<platform::RecordingCanvas::Call> found;
    for (const auto& call : Wave().Calls()) {
      if ((call.kind == Kind::Rectangle && call.brush.colour == kWhite) ||
          (call.kind == Kind::Polyline && call.pen.colour == kWhite)) {
        found.push_back(call);
      }
    }
    Wave().ClearCalls();
    return found;
  };

  Paint();  // the whole track: columns 250 and 750
  EXPECT_EQ(view->BeginMarkerColumn(), 250);
  EXPECT_EQ(view->EndMarkerColumn(), 750);
  auto calls = markerCalls();
  ASSERT_EQ(calls.size(), 8u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(calls[static_cast<size_t>(i)].points, (std::vector<Point>{{250 + i, 0}, {250 + i, 399}}));
    EXPECT_EQ(calls[static_cast<size_t>(i)].pen.style, platform::PenStyle::Dotted);
    EXPECT_EQ(calls[static_cast<size_t>(i + 4)].points.front().x, 750 + i);
  }
  EXPECT_EQ(calls[3].rect, (Rect{250, 0, 256, 4}));      // the begin flag at the top
  EXPECT_EQ(calls[7].rect, (Rect{744, 396, 750, 400}));  // the end flag at the bottom

  SetView(200000, 400000);  // the begin marker lies before the view
  Paint();
  EXPECT_EQ(view->BeginMarkerColumn(), -1);
  calls = markerCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[3].rect, (Rect{494, 396, 500, 400}));

  SetView(0, 200000);  // the end marker lies after it
  Paint();
  EXPECT_EQ(view->EndMarkerColumn(), 1001);
  calls = markerCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[3].rect, (Rect{500, 0, 506, 4}));
}

TEST_F(ViewTest, PaintInvertsTheHighlightOrTheCursorWithinTheView) {
  LoadTrack(0, 100000, [](uint32_t) { return Frame16{0, 0}; });
  using Runs = std::vector<std::pair<int, int>>;
  Select(100000, 200000);
  Paint();
  EXPECT_EQ(Wave().InvertedRuns(), (Runs{{250, 500}}));
  Select(200000, 200000);
  Paint();
  EXPECT_EQ(Wave().InvertedRuns(), (Runs{{500, 501}}));
  Select(400000, 400000);  // a cursor at the very end shows in the last column
  Paint();
  EXPECT_EQ(Wave().InvertedRuns(), (Runs{{999, 1000}}));
  SetView(150000, 400000);
  Select(100000, 200000);  // begins before the view
  Paint();
  EXPECT_EQ(Wave().InvertedRuns(), (Runs{{0, 200}}));
  Select(0, 100000);  // entirely before it
  Paint();
  EXPECT_EQ(Wave().InvertedRuns(), Runs{});
}

TEST_F(ViewTest, AnEmptyTrackPaintsPanelsLabelsAndButtonsButNoWaveform) {
  Paint();
  Paint();
  EXPECT_EQ(Wave().Calls().size(), 2u);  // the background, once per paint
  EXPECT_EQ(Wave().Calls()[0].colour, (Rgb{180, 180, 180}));

  std::vector<std::pair<Point, std::string>> texts;
  for (const auto& call : Panel().CallsOf(Kind::Text)) texts.emplace_back(call.points[0], call.text);
  ASSERT_EQ(texts.size(), 12u);
  const std::vector<std::pair<Point, std::string>> scale = {{{2, 0}, "  32 K"},    {{2, 94}, "      0"},
                                                            {{2, 185}, " -32 K"},  {{2, 202}, "  32 K"},
                                                            {{2, 294}, "      0"}, {{2, 387}, " -32 K"}};
  EXPECT_EQ(std::vector(texts.begin() + 6, texts.end()), scale);
  auto bitmaps = Panel().CallsOf(Kind::Bitmap);
  ASSERT_EQ(bitmaps.size(), 4u);
  EXPECT_EQ(bitmaps[2].points[0], (Point{6, 69}));
  EXPECT_EQ(bitmaps[3].bitmap, platform::BitmapId::RightChannel);
  EXPECT_EQ(bitmaps[3].points[0], (Point{6, 269}));

  auto labels = Strip().CallsOf(Kind::Text);
  ASSERT_EQ(labels.size(), 8u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(labels[static_cast<size_t>(4 + i)].points[0].x, 35 + 250 * i + 2);
    EXPECT_EQ(labels[static_cast<size_t>(4 + i)].text, "00:00.000");
  }

  // The surfaces go to the left edge, the right edge, below the waveform and beside it.
  std::vector<Point> copies;
  for (const auto& call : host.window->CallsOf(Kind::Copy)) copies.push_back(call.points[0]);
  EXPECT_EQ(std::vector(copies.begin(), copies.begin() + 4),
            (std::vector<Point>{{0, 0}, {1035, 0}, {0, 400}, {35, 0}}));

  EXPECT_EQ(host.buttonsCreated, 1);
  EXPECT_EQ(host.buttons[0], (Rect{1046, 328, 1070, 352}));
  EXPECT_EQ(host.buttons[1], (Rect{1046, 352, 1070, 376}));
  EXPECT_EQ(host.buttons[2], (Rect{1046, 376, 1070, 400}));
}

TEST_F(ViewTest, NothingIsDrawnWhileARecordingIsStoredOrTheProgramCloses) {
  LoadTrack(0, 1000, [](uint32_t) { return Frame16{100, 100}; });
  doc->m_bRecording = 1;
  Paint();
  EXPECT_EQ(host.window, nullptr);
  doc->m_bRecording = 0;
  app->m_bClosing = true;
  Paint();
  EXPECT_EQ(host.window, nullptr);
  app->m_bClosing = false;
  Paint();
  ASSERT_NE(host.window, nullptr);
  EXPECT_FALSE(host.window->Calls().empty());
}

TEST_F(ViewTest, AFileThatDoesNotOpenIsReportedOnceUntilItOpensAgain) {
  LoadTrack(0, 100000, [](uint32_t) { return Frame16{100, 100}; });
  const std::string peak = doc->Track(0).m_szPeakPath;
  std::filesystem::rename(peak, peak + ".away");
  Paint();
  EXPECT_TRUE(Showed("Error Message: Failed to open track for drawing in Final Draw " + peak + "."));
  EXPECT_EQ(view->LastDrawMode(), view::DrawMode::None);
  Paint();
  EXPECT_FALSE(Showed("Failed to open"));
  std::filesystem::rename(peak + ".away", peak);
  Paint();
  EXPECT_EQ(view->LastDrawMode(), view::DrawMode::PeakEnvelope);
  std::filesystem::remove(peak);
  Paint();
  EXPECT_TRUE(Showed("Error Location: CMixerView::DrawStereoWaveform"));

  const std::string track = doc->Track(0).m_PCM.szPath;
  SetView(0, 4000);
  std::filesystem::rename(track, track + ".away");
  Paint();
  EXPECT_TRUE(Showed("Failed to open track for drawing in Peak Limit " + track + "."));
  std::filesystem::rename(track + ".away", track);
}

TEST_F(ViewTest, SurfacesThatCannotBeMadeStopThePaintWithAReport) {
  host.outOfMemory = true;
  Paint();
  EXPECT_TRUE(Showed("Insufficient memory to draw the waveform."));
  EXPECT_EQ(view->WaveformSurface(), nullptr);
  EXPECT_EQ(host.buttonsCreated, 0);
}

TEST_F(ViewTest, TheTrackColoursPaintTheWaveformAndFollowTheCurrentTrack) {
  app->m_config.waveColour[1] = 3;     // Orange
  app->m_config.outlineColour[1] = 5;  // Dark Green
  app->m_config.markerColour[1] = 1;   // Red
  LoadTrack(1, 100000, [](uint32_t) { return Frame16{1000, 1000}; });
  LoadTrack(0, 100000, [](uint32_t) { return Frame16{1000, 1000}; });
  Paint();
  ASSERT_EQ(doc->OnViewChange(1, true), 1);
  doc->m_mirror.m_nMarkerBegin = 1000;
  Wave().ClearCalls();
  Paint();
  auto polygons = Wave().CallsOf(Kind::Polygon);
  ASSERT_EQ(polygons.size(), 2u);
  EXPECT_EQ(polygons[0].brush.colour, (Rgb{255, 110, 0}));
  EXPECT_EQ(polygons[0].pen.colour, (Rgb{0, 105, 0}));
  auto rectangles = Wave().CallsOf(Kind::Rectangle);
  ASSERT_EQ(rectangles.size(), 1u);
  EXPECT_EQ(rectangles[0].brush.colour, (Rgb{225, 15, 15}));

  ASSERT_EQ(doc->OnViewChange(0, true), 1);
  Wave().ClearCalls();
  Paint();
  EXPECT_EQ(Wave().CallsOf(Kind::Polygon)[0].brush.colour, kBlue);
}

}  // namespace
