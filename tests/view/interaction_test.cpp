// What the view does with the mouse, the zoom steps, the project slider, the clocks
// and the play line.

#include <cstdio>

#include "core/command_ids.h"
#include "tests/view/view_fixture.h"
#include "view/zoom.h"

namespace {

using Kind = platform::RecordingCanvas::Kind;
using Runs = std::vector<std::pair<int, int>>;

// Two seconds of audio: 352.8 bytes to each of the 1000 columns at zoom all.
constexpr uint32_t kTwoSeconds = 352800;

class MouseTest : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    LoadTrack(0, kTwoSeconds / 4, [](uint32_t n) { return Frame16{static_cast<int16_t>(n), 0}; });
    Paint();
  }
  void Drag(int from, int to) {
    view->OnLButtonDown(At(from), 50);
    const int step = from < to ? 37 : -37;
    for (int x = from; (step > 0 ? x < to : x > to); x += step) view->OnMouseMove(At(x), 50);
    view->OnMouseMove(At(to), 50);
    view->OnLButtonUp(At(to), 50);
  }
  long TrackFilePosition() { return std::ftell(doc->Track(0).m_PCM.fp); }
};

TEST_F(MouseTest, AClickPlacesTheCursorAndThePlayPosition) {
  const int refreshes = frame->commandRefreshes;
  view->OnLButtonDown(At(500), 120);
  EXPECT_EQ(host.captures, 1);
  view->OnLButtonUp(At(500), 120);
  EXPECT_EQ(host.releases, 1);
  EXPECT_EQ(doc->m_mirror.m_nHighlightBegin, 176400u);
  EXPECT_FALSE(doc->m_mirror.HasHighlight());
  EXPECT_EQ(doc->m_nCurrentPos, 176400u);
  EXPECT_EQ(TrackFilePosition(), 176400);
  EXPECT_EQ(host.slider, 50);
  EXPECT_EQ(Wave().InvertedRuns(), (Runs{{500, 501}}));
  EXPECT_EQ(host.clocks, (std::array<std::string, 4>{"00:01.000", "00:01.000", "00:01.000", "00:02.000"}));
  EXPECT_GT(frame->commandRefreshes, refreshes);
  EXPECT_FALSE(app->IsCommandEnabled(ID_EDIT_CUT));

  // Clicks beside the waveform land on its edges.
  view->OnLButtonDown(5, 120);
  view->OnLButtonUp(5, 120);
  EXPECT_EQ(doc->m_nCurrentPos, 0u);
  EXPECT_EQ(Wave().InvertedRuns(), (Runs{{0, 1}}));
}

TEST_F(MouseTest, DragsInEitherDirectionGiveTheSameHighlight) {
  Drag(200, 700);
  const TrackPositions forward = doc->m_mirror;
  const Runs forwardRuns = Wave().InvertedRuns();
  EXPECT_EQ(forward.m_nHighlightBegin, 70560u);
  EXPECT_EQ(forward.m_nHighlightEnd, 246960u);
  EXPECT_EQ(forward.m_nHighlightSpan, 176400u);
  EXPECT_EQ(forwardRuns, (Runs{{200, 700}}));
  EXPECT_TRUE(app->IsCommandEnabled(ID_EDIT_CUT));
  EXPECT_TRUE(app->IsCommandEnabled(ID_EDIT_COPY));
  EXPECT_EQ(host.clocks[3], "00:01.000");

  Drag(700, 200);
  EXPECT_EQ(doc->m_mirror.m_nHighlightBegin, forward.m_nHighlightBegin);
  EXPECT_EQ(doc->m_mirror.m_nHighlightEnd, forward.m_nHighlightEnd);
  EXPECT_EQ(doc->m_mirror.m_nScaledHighlightBegin, forward.m_nScaledHighlightBegin);
  EXPECT_EQ(doc->m_nCurrentPos, forward.m_nHighlightBegin);
  EXPECT_EQ(Wave().InvertedRuns(), forwardRuns);
  EXPECT_EQ(TrackFilePosition(), 70560);
}

TEST_F(MouseTest, ADragInvertsOnlyWhatChangedAcrossTheAnchor) {
  const int invalidations = host.invalidations;
  view->OnLButtonDown(At(500), 10);
  view->OnMouseMove(At(600), 10);
  EXPECT_EQ(Wave().InvertedRuns(), (Runs{{500, 600}}));
  Wave().ClearCalls();
  host.window->ClearCalls();
  // The columns inverted since the last look; the bitmap gets nothing but inversions.
  auto invertedWidth = [this] {
    int width = 0;
    for (const auto& call : Wave().Calls()) {
      EXPECT_EQ(call.kind, Kind::Invert);
      width += call.rect.Width();
    }
    Wave().ClearCalls();
    return width;
  };
  view->OnMouseMove(At(650), 10);
  EXPECT_EQ(invertedWidth(), 50);
  view->OnMouseMove(At(400), 10);  // over the anchor to the other side
  EXPECT_EQ(invertedWidth(), 250);
  view->OnMouseMove(At(500), 10);  // back onto it: nothing highlighted
  view->OnMouseMove(At(450), 10);
  EXPECT_EQ(Wave().InvertedRuns(), (Runs{{450, 500}}));
  EXPECT_EQ(invertedWidth(), 150);  // 400 to 500 off, then 450 to 500 on
  for (const auto& call : host.window->Calls()) EXPECT_EQ(call.kind, Kind::Copy);
  EXPECT_EQ(host.invalidations, invalidations);
  view->OnLButtonUp(At(450), 10);
  EXPECT_EQ(Wave().InvertedRuns(), (Runs{{450, 500}}));
  // A paint afterwards draws the same highlight afresh.
  Paint();
  EXPECT_EQ(Wave().InvertedRuns(), (Runs{{450, 500}}));
}

TEST_F(MouseTest, ADoubleClickAfterZoomAllHighlightsTheWholeTrack) {
  SetView(100000, 200000);
  Paint();
  view->ZoomAll();
  Paint();
  view->OnLButtonDown(At(300), 10);
  view->OnLButtonUp(At(300), 10);
  view->OnLButtonDblClk(At(300), 10);
  view->OnLButtonUp(At(300), 10);
  EXPECT_EQ(doc->m_mirror.m_nHighlightBegin, 0u);
  EXPECT_EQ(doc->m_mirror.m_nHighlightEnd, kTwoSeconds);
  EXPECT_EQ(doc->m_nCurrentPos, 0u);
  EXPECT_EQ(Wave().InvertedRuns(), (Runs{{0, 1000}}));
  EXPECT_EQ(host.clocks[3], "00:02.000");
}

TEST_F(ViewTest, TheMouseLeavesAnEmptyTrackAlone) {
  Paint();
  doc->m_nCurrentPos = 40;
  view->OnLButtonDown(At(300), 10);
  view->OnMouseMove(At(400), 10);
  view->OnLButtonUp(At(400), 10);
  view->OnLButtonDblClk(At(400), 10);
  EXPECT_EQ(doc->m_nCurrentPos, 40u);
  EXPECT_EQ(host.captures, 0);
  EXPECT_EQ(Wave().InvertedRuns(), Runs{});
}

// The zoom steps on positions alone, on a track of 400,000 bytes (100,000 in the
// cases near its end).
TEST(ZoomTest, EachStepGivesTheViewItsRulesDemand) {
  enum Step { In, Out, All };
  struct Case {
    const char* what;
    Step step;
    uint32_t length, start, end, begin, last;  // the view and the highlight before
    uint32_t newStart, newEnd;
  };
  const Case cases[] = {
      {"cursor 1,000 bytes in: the shortfall goes to the end", In, 400000, 0, 40000, 1000, 1000, 0, 20000},
      {"cursor near the end: the excess comes off the start", In, 100000, 60000, 100000, 99000, 99000, 80000, 100000},
      {"cursor outside the view: around the view's middle", In, 100000, 60000, 100000, 1000, 1000, 70000, 90000},
      {"a span of 8 bytes", In, 100000, 100, 108, 104, 104, 100, 108},
      {"a highlight with an end inside", In, 400000, 0, 40000, 30000, 50000, 30000, 50000},
      {"a highlight over the whole view", In, 400000, 10000, 50000, 0, 60000, 20000, 40000},
      {"a highlight elsewhere: around the view's middle", In, 400000, 10000, 50000, 50000, 90000, 20000, 40000},
      {"a span of 16: 8 bytes each side", Out, 400000, 1000, 1016, 0, 0, 992, 1024},
      {"a quarter of the span each side", Out, 400000, 40000, 80000, 0, 0, 30000, 90000},
      {"within the track", Out, 400000, 4000, 396000, 0, 0, 0, 400000},
      {"the whole track", All, 400000, 4000, 8000, 0, 0, 0, 400000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TrackPositions pos;
    pos.m_nLength = c.length;
    pos.m_nRenderedLength = c.length / 64;
    pos.m_nViewStart = c.start;
    pos.m_nViewEnd = c.end;
    pos.m_nViewWidth = c.end - c.start;
    pos.m_nHighlightBegin = c.begin;
    pos.m_nHighlightEnd = c.last;
    view::RescaleView(pos);
    const bool changed = c.step == In ? view::ZoomIn(pos) : c.step == Out ? view::ZoomOut(pos) : view::ZoomAll(pos);
    EXPECT_EQ(changed, c.newStart != c.start || c.newEnd != c.end);
    EXPECT_EQ(pos.m_nViewStart, c.newStart);
    EXPECT_EQ(pos.m_nViewEnd, c.newEnd);
    EXPECT_EQ(pos.m_nViewWidth, c.newEnd - c.newStart);
    // The peak data's view follows: the byte positions over 64, frame-aligned.
    EXPECT_EQ(pos.m_nScaledViewStart, (c.newStart / 64) & ~3u);
  }
}

TEST_F(MouseTest, TheWheelZoomsAndEveryZoomRepaints) {
  Select(176400, 176400);
  const int invalidations = host.invalidations;
  view->OnMouseWheel(120);
  EXPECT_EQ(doc->m_mirror.m_nViewStart, 88200u);
  EXPECT_EQ(doc->m_mirror.m_nViewEnd, 264600u);
  EXPECT_EQ(host.invalidations, invalidations + 1);
  view->OnMouseWheel(-120);
  EXPECT_EQ(doc->m_mirror.m_nViewStart, 44100u);
  EXPECT_EQ(doc->m_mirror.m_nViewEnd, 308700u);
  view->ZoomIn();
  view->ZoomAll();
  EXPECT_EQ(doc->m_mirror.m_nViewWidth, kTwoSeconds);
  EXPECT_EQ(host.invalidations, invalidations + 4);
}

TEST_F(MouseTest, TheProjectSliderMovesThePlayPosition) {
  view->OnProjectSliderMoved(25);
  EXPECT_EQ(doc->m_nCurrentPos, 88200u);
  EXPECT_EQ(TrackFilePosition(), 88200);
  EXPECT_EQ(host.clocks[2], "00:00.500");
  view->OnProjectSliderMoved(33);  // a third of the project, on a frame
  EXPECT_EQ(doc->m_nCurrentPos, 116424u);
  view->SetProjectSlider();
  EXPECT_EQ(host.slider, 33);
}

TEST_F(MouseTest, ThePlayLineFollowsTheClockAndGoesAtTheEnd) {
  int serviced = 0, cleared = 0, monitored = 0;
  view->SetPlayTimerHooks(
      {[&] { ++serviced; }, [] { return false; }, [] { return true; }, [&] { ++monitored; }, [&] { ++cleared; }});
  view->StartPlayLine(0, kTwoSeconds);
  view->StartPlayTimer();
  EXPECT_TRUE(system->timers.IsActive(view.get(), CMixerView::kPlayTimer));
  EXPECT_EQ(system->timers.PeriodOf(view.get(), CMixerView::kPlayTimer), 40u);

  auto tick = [this](uint32_t ms) {
    system->clock.Advance(ms);
    host.window->ClearCalls();
    ASSERT_TRUE(system->timers.DispatchOne());
  };
  tick(500);
  EXPECT_EQ(serviced, 1);
  EXPECT_EQ(host.clocks[2], "00:00.500");
  EXPECT_EQ(view->PlayLineColumn(), 35 + 250);
  auto lines = host.window->CallsOf(Kind::Polyline);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].points, (std::vector<platform::Point>{{285, 0}, {285, 399}}));
  EXPECT_EQ(lines[0].pen.colour, (platform::Rgb{0, 0, 0}));

  tick(500);
  EXPECT_EQ(view->PlayLineColumn(), 35 + 500);
  auto restored = host.window->CallsOf(Kind::Copy);
  ASSERT_EQ(restored.size(), 1u);  // the column under the old line, from the waveform bitmap
  EXPECT_EQ(restored[0].rect, (platform::Rect{250, 0, 251, 400}));
  EXPECT_EQ(restored[0].points[0], (platform::Point{285, 0}));

  tick(1100);  // past the end: the line goes, the clock stays
  EXPECT_EQ(view->PlayLineColumn(), -1);
  EXPECT_EQ(host.clocks[2], "00:01.000");

  view->StopPlayLine();
  EXPECT_FALSE(view->IsPlaying());
  tick(40);
  EXPECT_FALSE(system->timers.IsActive(view.get(), CMixerView::kPlayTimer));
  EXPECT_EQ(cleared, 1);
  EXPECT_EQ(host.clocks[2], "00:00.000");  // the current position again

  // Monitoring without playback services the monitor on each tick instead.
  view->StartPlayTimer();
  tick(40);
  EXPECT_EQ(monitored, 1);
  EXPECT_EQ(serviced, 3);
}

}  // namespace
