// What playback costs the interface thread.
//
//   playback_bench
//
// 1. CMixerDoc::ReadMix for eight tracks and one 88,200-byte buffer, as a share of the
//    half second that buffer plays (target under 0.2%).
// 2. The interface thread's time per 40 ms timer tick while the engine plays the same
//    project on the virtual device (target under 1 ms): the mean over all ticks, and
//    the refill ticks (one in twelve or so) on their own.
// The track files are read through the page cache, as during a real playback of a
// project that was just edited.

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/command_ids.h"
#include "core/main_frame.h"
#include "app/mixer_app.h"
#include "document/mixer_doc.h"
#include "platform/scripted/scripted_system.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kTrackBytes = 20 * 176400;

struct Frame : CMainFrame {
  void ShowMainWindow(bool) override {}
  void EnableWindow(bool) override {}
  bool IsWindowEnabled() const override { return true; }
  void SetDocumentTitle(const std::string&) override {}
  void UpdateCommandStates() override {}
};

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Eight tracks of different noise-like audio, 20 seconds each.
void LoadTracks(CMixerApp& app) {
  CMixerDoc& doc = *app.m_pDocument;
  uint32_t seed = 12345;
  for (int track = 0; track < kTrackCount; ++track) {
    std::string bytes(kTrackBytes, '\0');
    for (char& byte : bytes) {
      seed = seed * 1103515245u + 12345u;
      byte = static_cast<char>(seed >> 16);
    }
    doc.PrepTracksForOp();
    WriteFile(app.m_tempA.szPath, bytes);
    app.m_tempA.nSize = kTrackBytes;
    doc.AlignTrackToDoc(doc.m_nCurrentTrack);
    doc.Track(track).m_pos.m_nLength = kTrackBytes;
    doc.DocFinalize(kKindInsertion, track, &app.m_tempA, 0, kTrackBytes);
    doc.PostTracksForOp();
    app.m_boardTracks.SetTrackLevel(track, static_cast<int16_t>(10 + track), kLevelBoth);
  }
}

double Micros(Clock::duration duration) {
  return std::chrono::duration<double, std::micro>(duration).count();
}

}  // namespace

int main() {
  char pattern[] = "/tmp/playback_bench.XXXXXX";
  const char* made = mkdtemp(pattern);
  if (!made) return 1;
  const std::string root = made;
  std::filesystem::create_directories(root + "/config");
  std::filesystem::create_directories(root + "/audio");
  int status = 0;
  {
    platform::ScriptedSystem system(root + "/program", root + "/config", root + "/home");
    auto record = MixerConfig::FirstRunDefaults(root + "/audio", 0, false).Encode();
    WriteFile(root + "/config/mixer.cfg", std::string(record.begin(), record.end()));
    CMixerApp app;
    if (!app.InitInstance({"", [] { return std::make_unique<Frame>(); }})) return 1;
    LoadTracks(app);
    CMixerDoc& doc = *app.m_pDocument;

    // 1. ReadMix over the whole project, buffer after buffer, several times.
    std::vector<char> buffer(88200);
    std::vector<double> calls;
    for (int pass = 0; pass < 5; ++pass) {
      doc.TrackSeekOnLeftButton(0);
      for (uint32_t at = 0; at + 88200 <= kTrackBytes; at += 88200) {
        auto start = Clock::now();
        doc.ReadMix(buffer.data(), 88200, at);
        calls.push_back(Micros(Clock::now() - start));
      }
    }
    std::sort(calls.begin(), calls.end());
    const double median = calls[calls.size() / 2];
    std::printf("ReadMix, 8 tracks, 88200 bytes: median %.1f us, max %.1f us over %zu calls\n", median, calls.back(),
                calls.size());
    std::printf("  share of the 500 ms the buffer plays: %.4f%% (target under 0.2%%)\n", median / 5000.0);

    // 2. The engine playing the project on the virtual device, 40 ms ticks.
    doc.m_nCurrentPos = 0;
    doc.TrackSeekOnLeftButton(0);
    if (app.OnCommand(ID_TRANSPORT_PLAY) != 1) return 1;
    std::vector<double> ticks;
    while (app.m_bPlaying) {
      system.clock.Advance(40);
      system.wave.Pump();
      auto start = Clock::now();
      while (system.timers.DispatchOne()) {
      }
      ticks.push_back(Micros(Clock::now() - start));
    }
    double total = 0;
    for (double tick : ticks) total += tick;
    std::vector<double> sorted = ticks;
    std::sort(sorted.begin(), sorted.end());
    const size_t refills = (kTrackBytes + 88199) / 88200;
    const double refillMean = [&] {
      double sum = 0;
      for (size_t i = sorted.size() - std::min(refills, sorted.size()); i < sorted.size(); ++i) sum += sorted[i];
      return sum / static_cast<double>(std::min(refills, sorted.size()));
    }();
    std::printf("interface thread per 40 ms tick while playing (%zu ticks): mean %.1f us, max %.1f us\n", ticks.size(),
                total / static_cast<double>(ticks.size()), sorted.back());
    std::printf("  the %zu refill ticks: mean %.1f us; other ticks: median %.1f us (target under 1000 us)\n", refills,
                refillMean, sorted[sorted.size() / 2]);
    if (!app.m_player.IsOpen()) status = 1;
  }
  std::filesystem::remove_all(root);
  return status;
}
