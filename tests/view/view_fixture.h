#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/mixer_app.h"
#include "document/mixer_doc.h"
#include "platform/recording_canvas.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/fake_main_frame.h"
#include "tests/support/temp_folder.h"
#include "view/mixer_view.h"

// A window for the view that records what the view asks of it; its surfaces are
// recording canvases.
struct RecordingHost : view::ViewHost {
  // A client of 1070 x 413 gives a waveform area of 1000 x 400 with quarters of 100.
  int width = 1070;
  int height = 413;
  std::unique_ptr<platform::RecordingCanvas> window;
  bool outOfMemory = false;
  int invalidations = 0;
  int captures = 0;
  int releases = 0;
  int buttonsCreated = 0;
  std::array<platform::Rect, 3> buttons{};
  std::array<std::string, 4> clocks;
  int slider = -1;
  view::ScrollBarState scrollBar;
  int scrollBarSets = 0;

  int ClientWidth() const override { return width; }
  int ClientHeight() const override { return height; }
  platform::Canvas* WindowCanvas() override;
  std::unique_ptr<platform::Canvas> CreateSurface(int w, int h) override;
  void Flush(const platform::Rect&) override {}
  void Invalidate() override { ++invalidations; }
  void CaptureMouse() override { ++captures; }
  void ReleaseMouse() override { ++releases; }
  void CreateZoomButtons() override { ++buttonsCreated; }
  void PlaceZoomButtons(const std::array<platform::Rect, 3>& placed) override { buttons = placed; }
  void SetClockText(int clock, const std::string& text) override { clocks.at(static_cast<size_t>(clock)) = text; }
  void SetProjectSlider(int position) override { slider = position; }
  void SetScrollBar(const view::ScrollBarState& state) override {
    scrollBar = state;
    ++scrollBarSets;
  }
  void Report(const std::string& location, const std::string& message) override;
};

// A started application with a view of its document on a recording window.
class ViewTest : public ::testing::Test {
 protected:
  using Frame16 = std::pair<int16_t, int16_t>;
  using Frame = FakeMainFrame;

  void SetUp() override;
  void TearDown() override;

  // Fills a track with frames (left, right) as an import would, writing the file in
  // pieces.
  void LoadTrack(int track, uint32_t frames, const std::function<Frame16(uint32_t)>& frame);
  void SetView(uint32_t start, uint32_t end);
  void Select(uint32_t begin, uint32_t end);
  void Paint() { view->OnDraw(); }
  platform::RecordingCanvas& Wave();
  platform::RecordingCanvas& Panel();
  platform::RecordingCanvas& Strip();
  // The client x of a waveform column.
  static int At(int column) { return view::kPanelWidth + column; }
  // True when some box shown since the last call contains the text.
  bool Showed(const std::string& text);

  TempFolder root;
  std::unique_ptr<platform::ScriptedSystem> system;
  std::unique_ptr<CMixerApp> app;
  CMixerDoc* doc = nullptr;
  Frame* frame = nullptr;
  RecordingHost host;
  std::unique_ptr<CMixerView> view;
  size_t seenBoxes = 0;
};
