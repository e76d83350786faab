// Paint times of the waveform view on its real (QImage) canvas: a 60-minute track at
// zoom all (peak file), a span in the PCM envelope range and one in the sample mode,
// one highlight update of a mouse drag, and a fixed span early in a 1-minute track
// against the same span late in the 60-minute one (it should not grow with the
// track). The target is under 10 ms each.
//
//   view_bench [parent folder]     (default: the system's temp folder)
//
// The tracks are written a megabyte at a time into a fresh folder under the parent
// and removed at the end; the 60-minute track needs about 650 MB there.

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/main_frame.h"
#include "app/mixer_app.h"
#include "document/mixer_doc.h"
#include "platform/scripted/scripted_system.h"
#include "ui/waveform/waveform_widget.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kBytesPerMinute = 176400 * 60;
constexpr size_t kBlock = 1 << 20;
constexpr int kRuns = 30;

// A frame without a main window: the view alone is measured.
struct Frame : CMainFrame {
  void ShowMainWindow(bool) override {}
  void EnableWindow(bool) override {}
  bool IsWindowEnabled() const override { return true; }
  void SetDocumentTitle(const std::string&) override {}
  void UpdateCommandStates() override {}
  void OnDocumentChanged(int) override {}
};

// Puts size bytes of two beating tones into a track, as an import would.
bool LoadTrack(CMixerApp& app, int track, uint32_t size) {
  CMixerDoc& doc = *app.m_pDocument;
  doc.PrepTracksForOp();
  std::FILE* out = std::fopen(app.m_tempA.szPath.c_str(), "wb");
  if (!out) return false;
  std::vector<unsigned char> block(kBlock);
  uint64_t frame = 0;
  for (uint32_t written = 0; written < size;) {
    const size_t count = std::min<size_t>(block.size(), size - written);
    for (size_t i = 0; i + 4 <= count; i += 4, ++frame) {
      const double t = static_cast<double>(frame) / 44100.0;
      const double swell = 0.55 + 0.45 * std::sin(t * 0.7);
      const auto left = static_cast<int16_t>(20000 * swell * std::sin(2 * M_PI * 440 * t));
      const auto right = static_cast<int16_t>(16000 * swell * std::sin(2 * M_PI * 330 * t));
      block[i] = static_cast<unsigned char>(left & 0xff);
      block[i + 1] = static_cast<unsigned char>((left >> 8) & 0xff);
      block[i + 2] = static_cast<unsigned char>(right & 0xff);
      block[i + 3] = static_cast<unsigned char>((right >> 8) & 0xff);
    }
    if (std::fwrite(block.data(), 1, count, out) != count) {
      std::fclose(out);
      return false;
    }
    written += static_cast<uint32_t>(count);
  }
  std::fclose(out);
  app.m_tempA.nSize = size;
  doc.AlignTrackToDoc(doc.m_nCurrentTrack);
  doc.Track(track).m_pos.m_nLength = size;
  const int result = doc.DocFinalize(kKindInsertion, track, &app.m_tempA, 0, size);
  doc.PostTracksForOp();
  return result == 1;
}

// The median and the slowest of kRuns runs, in milliseconds.
struct Figures {
  double median, worst;
};
Figures Time(const std::function<void()>& run) {
  run();  // the first run warms the caches and makes the surfaces
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.back()};
}

void Print(const char* what, Figures figures) {
  std::printf("  %-52s %8.3f ms median %8.3f ms worst%s\n", what, figures.median, figures.worst,
              figures.median < 10.0 ? "" : "   (over the 10 ms target)");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication application(qtArgc, argv);

  const fs::path parent = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
  std::string pattern = (parent / "view-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("view_bench: cannot make its folder");
    return 1;
  }
  const fs::path root = pattern;
  fs::create_directories(root / "config");
  fs::create_directories(root / "audio");
  int status = 0;
  {
    platform::ScriptedSystem system(root / "bin", root / "config", root / "home");
    const auto config = MixerConfig::FirstRunDefaults(root / "audio", 0, false).Encode();
    if (std::FILE* out = std::fopen((root / "config/mixer.cfg").c_str(), "wb")) {
      std::fwrite(config.data(), 1, config.size(), out);
      std::fclose(out);
    }
    CMixerApp app;
    if (!app.InitInstance({"", [] { return std::make_unique<Frame>(); }})) {
      std::fprintf(stderr, "view_bench: the application did not start\n");
      return 1;
    }
    CMixerDoc& doc = *app.m_pDocument;
    std::printf("Writing a 1-minute and a 60-minute track and their peak files...\n");
    if (!LoadTrack(app, 1, kBytesPerMinute) || !LoadTrack(app, 0, 60 * kBytesPerMinute)) {
      std::fprintf(stderr, "view_bench: cannot write the tracks under %s\n", root.c_str());
      status = 1;
    } else {
      ui::WaveformWidget widget;
      widget.resize(1070, 413);  // a waveform area of 1000 x 400
      CMixerView& view = widget.View();
      TrackPositions& pos = doc.m_mirror;
      auto show = [&](uint32_t start, uint32_t end) {
        pos.m_nViewStart = start;
        pos.m_nViewEnd = end;
        pos.m_nViewWidth = end - start;
      };
      auto paint = [&view] { view.OnDraw(); };

      std::printf("Waveform view, 1000 x 400 waveform area, %d runs each:\n", kRuns);
      show(0, pos.m_nLength);
      Print("60-minute track, zoom all (peak file)", Time(paint));
      show(30 * kBytesPerMinute, 30 * kBytesPerMinute + 32000);
      Print("span of 32,000 bytes (PCM envelope)", Time(paint));
      show(30 * kBytesPerMinute, 30 * kBytesPerMinute + 100);
      Print("span of 100 bytes (samples)", Time(paint));

      show(0, pos.m_nLength);
      view.OnDraw();
      view.OnLButtonDown(35 + 200, 50);
      int column = 300;
      Print("one mouse-drag highlight update", Time([&] {
              column = column == 300 ? 700 : 300;
              view.OnMouseMove(35 + column, 50);
            }));
      view.OnLButtonUp(35 + column, 50);

      const uint32_t tenSeconds = 176400 * 10;
      show(50 * kBytesPerMinute, 50 * kBytesPerMinute + tenSeconds);
      Print("10-second span at 50:00 of the 60-minute track", Time(paint));
      doc.OnViewChange(1, true);
      show(0, tenSeconds);
      Print("10-second span at 00:00 of the 1-minute track", Time(paint));
      show(0, pos.m_nLength);
      Print("1-minute track, zoom all (peak file)", Time(paint));
    }
  }
  std::error_code error;
  fs::remove_all(root, error);
  return status;
}
