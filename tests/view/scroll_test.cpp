// Moving a zoomed-in view along the track: the scroll bar, the horizontal wheel, a
// drag past an edge, playback's page turns, the project slider; the time labels'
// decimals; the position clock and the slider after playback.

#include <set>

#include "core/time_format.h"
#include "tests/view/view_fixture.h"
#include "view/scroll.h"
#include "view/time_labels.h"
#include "view/zoom.h"

namespace {

using Kind = platform::RecordingCanvas::Kind;

// Two seconds of audio; a waveform area 1000 columns wide.
constexpr uint32_t kTwoSeconds = 352800;
constexpr uint32_t kHalfSecond = 88200;

TrackPositions Track(uint32_t length, uint32_t start, uint32_t end) {
  TrackPositions pos;
  pos.m_nLength = length;
  pos.m_nRenderedLength = length / 64;
  pos.m_nViewStart = start;
  pos.m_nViewEnd = end;
  pos.m_nViewWidth = end - start;
  return pos;
}

TEST(ScrollSteps, TheViewKeepsItsWidthAndStaysWithinTheTrack) {
  TrackPositions pos = Track(400000, 0, 40000);
  EXPECT_TRUE(view::ScrollTo(pos, 100002));  // frame-aligned
  EXPECT_EQ(pos.m_nViewStart, 100000u);
  EXPECT_EQ(pos.m_nViewEnd, 140000u);
  EXPECT_EQ(pos.m_nScaledViewStart, (100000u / 64) & ~3u);
  EXPECT_TRUE(view::ScrollTo(pos, 390000));  // the end is as far as it goes
  EXPECT_EQ(pos.m_nViewStart, 360000u);
  EXPECT_EQ(pos.m_nViewEnd, 400000u);
  EXPECT_FALSE(view::ScrollBy(pos, 4000));
  EXPECT_TRUE(view::ScrollBy(pos, -500000));
  EXPECT_EQ(pos.m_nViewStart, 0u);
  EXPECT_EQ(pos.m_nViewWidth, 40000u);
  EXPECT_FALSE(view::ScrollBy(pos, -4));

  // A position outside comes to the middle; one inside leaves the view alone.
  EXPECT_FALSE(view::ScrollIntoView(pos, 40000));
  EXPECT_TRUE(view::ScrollIntoView(pos, 200000));
  EXPECT_EQ(pos.m_nViewStart, 180000u);
  EXPECT_EQ(pos.m_nViewEnd, 220000u);
  EXPECT_TRUE(view::ScrollIntoView(pos, 5000000));  // beyond the track: its end
  EXPECT_EQ(pos.m_nViewEnd, 400000u);
  // Playback turns the page: the view starts at the play position.
  EXPECT_TRUE(view::PageTo(pos, 100000));
  EXPECT_EQ(pos.m_nViewStart, 100000u);
  EXPECT_TRUE(view::PageTo(pos, 399000));
  EXPECT_EQ(pos.m_nViewStart, 360000u);
}

TEST(ScrollSteps, TheScrollBarCountsFramesAndRestsWhenAllIsInView) {
  const view::ScrollBarState whole = view::ScrollBarFor(Track(400000, 0, 400000));
  EXPECT_FALSE(whole.enabled);
  EXPECT_EQ(whole.maximum, 0);
  EXPECT_EQ(whole.value, 0);
  const view::ScrollBarState part = view::ScrollBarFor(Track(400000, 100000, 140000));
  EXPECT_TRUE(part.enabled);
  EXPECT_EQ(part.maximum, 90000);  // (400,000 - 40,000) / 4
  EXPECT_EQ(part.value, 25000);
  EXPECT_EQ(part.pageStep, 10000);
  EXPECT_EQ(part.singleStep, 1250);
  EXPECT_FALSE(view::ScrollBarFor(TrackPositions{}).enabled);
  // An hour of audio still fits the toolkit's int: frames, not bytes.
  const view::ScrollBarState hour = view::ScrollBarFor(Track(635040000, 0, 4000));
  EXPECT_EQ(hour.maximum, 158759000);
}

TEST(TimeLabels, NeighboursDifferAtEveryZoom) {
  // From a whole minute down to a single frame across the view, in each display type.
  for (int type : {kDisplayTime, kDisplayBeats, kDisplaySamples}) {
    for (uint32_t span = 60 * 176400; span >= 16; span /= 3) {
      SCOPED_TRACE(std::to_string(type) + " " + std::to_string(span));
      std::set<std::string> labels;
      const uint32_t start = 1234568 & ~3u;
      for (uint32_t i = 0; i < 4; ++i) labels.insert(view::FormatLabel(start + i * (span / 4), span / 4, 120, type));
      EXPECT_EQ(labels.size(), 4u);
    }
  }
  // The clocks' form while a label step is a millisecond or more.
  std::string clock;
  FormatPosition(176400, kBytesPerSecond, clock, 120, kDisplayTime);
  EXPECT_EQ(view::FormatLabel(176400, 44100, 120, kDisplayTime), clock);
  EXPECT_EQ(view::FormatLabel(176400, 177, 120, kDisplayTime), "00:01.000");
  // Finer steps bring more places: 16 bytes are 91 microseconds.
  EXPECT_EQ(view::LabelDecimals(176, 120, kDisplayTime), 4);
  EXPECT_EQ(view::LabelDecimals(16, 120, kDisplayTime), 5);
  EXPECT_EQ(view::LabelDecimals(1, 120, kDisplayTime), 6);
  EXPECT_EQ(view::FormatLabel(1000, 16, 120, kDisplayTime), "00:00.00567");
  EXPECT_EQ(view::FormatLabel(60 * 176400 + 88200, 16, 120, kDisplayTime), "01:00.50000");
  EXPECT_EQ(view::FormatLabel(88200, 16, 120, kDisplayBeats), "1.0000");
  EXPECT_EQ(view::FormatLabel(88200, 16, 120, kDisplaySamples), "44100");
}

class ScrollTest : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    LoadTrack(0, kTwoSeconds / 4, [](uint32_t n) { return Frame16{static_cast<int16_t>(n % 1000), 0}; });
    // Zoomed in to the first half second: 88.2 bytes to a column.
    SetView(0, kHalfSecond);
    Paint();
  }
  const TrackPositions& Pos() const { return doc->m_mirror; }
  void Tick(uint32_t ms, unsigned int timer) {
    system->clock.Advance(ms);
    ASSERT_TRUE(system->timers.IsActive(view.get(), timer));
    ASSERT_TRUE(system->timers.DispatchOne());
  }
  // The labels of a fresh paint.
  std::vector<std::string> Labels() {
    Strip().ClearCalls();
    Paint();
    std::vector<std::string> texts;
    for (const auto& call : Strip().CallsOf(Kind::Text)) texts.push_back(call.text);
    return texts;
  }
};

TEST_F(ScrollTest, TheScrollBarShowsAndMovesTheView) {
  EXPECT_TRUE(host.scrollBar.enabled);
  EXPECT_EQ(host.scrollBar.maximum, static_cast<int>((kTwoSeconds - kHalfSecond) / 4));
  EXPECT_EQ(host.scrollBar.pageStep, static_cast<int>(kHalfSecond / 4));
  EXPECT_EQ(host.scrollBar.value, 0);

  const int invalidations = host.invalidations;
  view->OnScrollBar(44100);  // a second in
  EXPECT_EQ(Pos().m_nViewStart, 176400u);
  EXPECT_EQ(Pos().m_nViewEnd, 176400u + kHalfSecond);
  EXPECT_EQ(host.invalidations, invalidations + 1);
  EXPECT_EQ(host.scrollBar.value, 44100);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"00:01.000", "00:01.125", "00:01.250", "00:01.375"}));
  view->OnScrollBar(1 << 30);  // as far as it goes: the track's end
  EXPECT_EQ(Pos().m_nViewEnd, kTwoSeconds);

  // Zoomed out to the whole track there is nothing to scroll.
  view->ZoomAll();
  EXPECT_FALSE(host.scrollBar.enabled);
  EXPECT_EQ(host.scrollBar.maximum, 0);
}

TEST_F(ScrollTest, TheHorizontalWheelScrollsAnEighthOfTheViewANotch) {
  view->OnHorizontalWheel(-120);  // down (or tilted right): later
  EXPECT_EQ(Pos().m_nViewStart, (kHalfSecond / 64 & ~3u) * 8);
  EXPECT_EQ(Pos().m_nViewWidth, kHalfSecond);
  view->OnHorizontalWheel(120);
  EXPECT_EQ(Pos().m_nViewStart, 0u);
  // A touchpad's small steps add up to the same.
  for (int i = 0; i < 12; ++i) view->OnHorizontalWheel(-10);
  EXPECT_EQ(Pos().m_nViewStart, (kHalfSecond / 64 & ~3u) * 8);
  EXPECT_EQ(host.scrollBar.value, static_cast<int>(Pos().m_nViewStart / 4));
}

TEST_F(ScrollTest, ADragPastTheEdgeScrollsAndExtendsTheHighlight) {
  view->OnLButtonDown(At(500), 50);
  const uint32_t anchor = Pos().m_nHighlightBegin;
  EXPECT_EQ(anchor, 44100u);
  view->OnMouseMove(At(1000) + 40, 50);  // 40 pixels beyond the right edge
  EXPECT_EQ(Pos().m_nHighlightEnd, kHalfSecond);
  EXPECT_TRUE(view->IsAutoScrolling());
  Tick(40, CMixerView::kAutoScrollTimer);
  // 40 columns of 88.2 bytes, and the highlight reaches the new edge.
  EXPECT_EQ(Pos().m_nViewStart, 3528u);
  EXPECT_EQ(Pos().m_nViewWidth, kHalfSecond);
  EXPECT_EQ(Pos().m_nHighlightBegin, anchor);
  EXPECT_EQ(Pos().m_nHighlightEnd, Pos().m_nViewEnd);
  EXPECT_EQ(host.scrollBar.value, 3528 / 4);
  Paint();
  EXPECT_EQ(Wave().InvertedRuns(), (std::vector<std::pair<int, int>>{{460, 1000}}));
  // Held there, it goes on to the track's end and stops.
  for (int i = 0; i < 200 && view->IsAutoScrolling(); ++i) Tick(40, CMixerView::kAutoScrollTimer);
  EXPECT_FALSE(view->IsAutoScrolling());
  EXPECT_EQ(Pos().m_nViewEnd, kTwoSeconds);
  EXPECT_EQ(Pos().m_nHighlightEnd, kTwoSeconds);
  // Back over the waveform and released: from the anchor to the mouse.
  view->OnMouseMove(At(500), 50);
  view->OnLButtonUp(At(500), 50);
  EXPECT_EQ(Pos().m_nHighlightBegin, anchor);
  EXPECT_EQ(Pos().m_nHighlightEnd, view::PositionOf(500, Pos().m_nViewStart, kHalfSecond, 1000));
  EXPECT_EQ(doc->m_nCurrentPos, anchor);
  Paint();
  // The anchor lies before the view now: the highlight starts at the left edge.
  EXPECT_EQ(Wave().InvertedRuns(), (std::vector<std::pair<int, int>>{{0, 500}}));
}

TEST_F(ScrollTest, ADragPastTheLeftEdgeScrollsBackAndStopsWhenReleased) {
  view->OnScrollBar(44100);
  Paint();
  view->OnLButtonDown(At(100), 50);
  const uint32_t anchor = Pos().m_nHighlightBegin;
  view->OnMouseMove(10, 50);  // over the scale panel, 25 pixels beyond the edge
  EXPECT_EQ(Pos().m_nHighlightBegin, 176400u);
  Tick(40, CMixerView::kAutoScrollTimer);
  EXPECT_EQ(Pos().m_nViewStart, 176400u - 2208u);  // 25 columns, down to a frame
  EXPECT_EQ(Pos().m_nHighlightBegin, Pos().m_nViewStart);
  EXPECT_EQ(Pos().m_nHighlightEnd, anchor);
  EXPECT_EQ(doc->m_nCurrentPos, Pos().m_nViewStart);
  view->OnLButtonUp(10, 50);
  EXPECT_FALSE(view->IsAutoScrolling());
  EXPECT_FALSE(system->timers.IsActive(view.get(), CMixerView::kAutoScrollTimer));
  // A drag beyond the edge of a view that shows the whole track has nowhere to go.
  view->ZoomAll();
  Paint();
  view->OnLButtonDown(At(500), 50);
  view->OnMouseMove(At(1000) + 40, 50);
  EXPECT_FALSE(view->IsAutoScrolling());
  view->OnLButtonUp(At(1000) + 40, 50);
  EXPECT_EQ(Pos().m_nHighlightEnd, kTwoSeconds);
}

TEST_F(ScrollTest, PlaybackTurnsThePageAndTheSliderFollows) {
  view->StartPlayLine(0, kTwoSeconds);
  view->StartPlayTimer();
  Tick(400, CMixerView::kPlayTimer);
  EXPECT_EQ(view->PlayLineColumn(), 35 + 800);
  EXPECT_EQ(host.clocks[2], "00:00.400");
  EXPECT_EQ(host.slider, 20);
  EXPECT_EQ(Pos().m_nViewStart, 0u);

  const int invalidations = host.invalidations;
  Tick(200, CMixerView::kPlayTimer);  // 0.6 s: past the view's end
  EXPECT_EQ(Pos().m_nViewStart, 105840u);
  EXPECT_EQ(Pos().m_nViewWidth, kHalfSecond);
  EXPECT_EQ(host.invalidations, invalidations + 1);
  EXPECT_EQ(host.slider, 30);
  Paint();
  // The clock shows the play position through the paint, not the current position.
  EXPECT_EQ(host.clocks[2], "00:00.600");
  Tick(40, CMixerView::kPlayTimer);
  EXPECT_EQ(view->PlayLineColumn(), 35 + 80);

  // Scrolled away by the user, the view stays where the user put it.
  view->OnScrollBar(0);
  Paint();
  Tick(400, CMixerView::kPlayTimer);
  Tick(400, CMixerView::kPlayTimer);
  EXPECT_EQ(Pos().m_nViewStart, 0u);
  EXPECT_EQ(view->PlayLineColumn(), -1);
  view->StopPlayLine();
}

TEST_F(ScrollTest, PlaybackStartedOutsideTheViewBringsItThere) {
  view->OnScrollBar(44100);
  Paint();
  view->StartPlayLine(17640, kTwoSeconds);
  EXPECT_EQ(Pos().m_nViewStart, 17640u);
  view->StopPlayLine();
}

TEST_F(ScrollTest, TheSliderBringsThePositionIntoView) {
  view->OnProjectSliderMoved(75);
  EXPECT_EQ(doc->m_nCurrentPos, 264600u);
  EXPECT_EQ(Pos().m_nViewStart, 264600u - kHalfSecond / 2);
  EXPECT_EQ(Pos().m_nViewWidth, kHalfSecond);
  view->OnProjectSliderMoved(100);
  EXPECT_EQ(Pos().m_nViewEnd, kTwoSeconds);
  // A position already in view leaves the view alone.
  const uint32_t start = Pos().m_nViewStart;
  view->OnProjectSliderMoved(90);
  EXPECT_EQ(Pos().m_nViewStart, start);
  view->ShowPosition(0);
  EXPECT_EQ(Pos().m_nViewStart, 0u);
}

TEST_F(ScrollTest, AfterPlaybackTheClockAndTheSliderShowTheSamePosition) {
  Select(8820, 8820);  // the cursor elsewhere than the slider will be
  host.slider = -1;
  view->OnProjectSliderMoved(33);
  const uint32_t position = doc->m_nCurrentPos;
  ASSERT_EQ(position, 116424u);
  EXPECT_EQ(host.clocks[2], "00:00.660");
  EXPECT_EQ(host.slider, -1);  // the user's own move: the slider is where the user put it

  view->StartPlayLine(position, kTwoSeconds);
  view->StartPlayTimer();
  Tick(500, CMixerView::kPlayTimer);
  EXPECT_EQ(host.clocks[2], "00:01.160");
  EXPECT_EQ(host.slider, 58);
  view->StopPlayLine();
  view->UpdateClockTimes();  // what the stop does
  view->SetProjectSlider();
  EXPECT_EQ(host.clocks[2], "00:00.660");
  EXPECT_EQ(host.slider, 33);
  Tick(40, CMixerView::kPlayTimer);  // the tick that ends the timer
  EXPECT_EQ(host.clocks[2], "00:00.660");
  EXPECT_EQ(host.slider, 33);
  // A paint afterwards keeps them together.
  Paint();
  EXPECT_EQ(host.clocks[2], "00:00.660");
  EXPECT_EQ(host.slider, 33);
}

TEST_F(ScrollTest, LabelsAtSampleZoomReadEachTheirOwnTime) {
  SetView(1000, 1064);  // 16 frames across the view
  EXPECT_EQ(Labels(), (std::vector<std::string>{"00:00.00567", "00:00.00576", "00:00.00585", "00:00.00594"}));
  EXPECT_EQ(view->LastDrawMode(), view::DrawMode::Samples);
}

}  // namespace
