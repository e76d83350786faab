// What a take costs the interface thread.
//
//   record_bench
//
// A 60-second take into one track while eight tracks play with the metronome on, on
// the virtual devices (so that the figures are the program's own work, not the sound
// server's): the interface thread's time per 40 ms timer tick (mean and maximum;
// targets under 1 ms and 5 ms), the time of one metronome Mix into a buffer, and the
// processor time the whole take took as a share of its 60 seconds.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/bench_project.h"
#include "core/command_ids.h"
#include "document/mixer_doc.h"

namespace {

using Clock = std::chrono::steady_clock;

double Micros(Clock::duration duration) {
  return std::chrono::duration<double, std::micro>(duration).count();
}

double ProcessSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main() {
  BenchProject project("record_bench");
  if (!project.Started()) return 1;
  platform::ScriptedSystem& system = *project.system;
  CMixerApp& app = *project.app;
  project.LoadNoiseTracks(70 * 176400);
  app.m_boardTracks.HandleArm(7);

  // The metronome's clicks: a short burst for every voice.
  MetronomeClicks::Click click{};
  for (size_t n = 0; n < 400; ++n) click[n] = static_cast<int16_t>((n % 20 < 10 ? 8000 : -8000) * (400 - n) / 400);
  for (int voice = 0; voice < MetronomeClicks::kVoiceCount; ++voice) {
    app.m_metronomeDialog.Clicks().SetClick(static_cast<MetronomeClicks::Voice>(voice), click);
  }
  MetronomeClicks::Settings settings;
  settings.on = true;
  settings.bpm = 120;
  settings.stick = false;
  app.m_metronomeDialog.Clicks().Apply(settings);
  std::vector<int16_t> buffer(MetronomeClicks::kBufferBytes / 2);
  std::vector<double> mixes;
  for (uint32_t at = 0; at < 200 * MetronomeClicks::kBufferBytes; at += MetronomeClicks::kBufferBytes) {
    auto start = Clock::now();
    app.m_metronomeDialog.Clicks().Mix(buffer.data(), at, 1.0f);
    mixes.push_back(Micros(Clock::now() - start));
  }
  std::sort(mixes.begin(), mixes.end());
  std::printf("metronome Mix of one 88200-byte buffer: median %.1f us, max %.1f us\n", mixes[mixes.size() / 2],
              mixes.back());
  app.m_metronomeDialog.Clicks().StartTake();

  std::vector<double> ticks;
  double cpuSeconds = 0;
  system.dialogs.OnShow("record_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface&) {
    logic.OnCommand(IDC_RECORD_DIALOG_START);
    const double before = ProcessSeconds();
    for (int tick = 0; tick < 60000 / 40 && app.m_recordingDialog.IsRecording(); ++tick) {
      system.clock.Advance(40);
      system.wave.Pump();
      auto start = Clock::now();
      while (system.timers.DispatchOne()) {
      }
      ticks.push_back(Micros(Clock::now() - start));
    }
    cpuSeconds = ProcessSeconds() - before;
    logic.OnCommand(IDC_RECORD_DIALOG_STOP);
  });
  const int result = app.OnCommand(ID_TRANSPORT_RECORD);
  if (result != 1 || ticks.empty()) {
    std::printf("the take failed (%d)\n", result);
    return 1;
  }
  double total = 0;
  for (double tick : ticks) total += tick;
  std::printf("interface thread per 40 ms tick while recording with 8 tracks playing (%zu ticks): mean %.1f us, max "
              "%.1f us (targets 1000 us and 5000 us)\n",
              ticks.size(), total / static_cast<double>(ticks.size()),
              *std::max_element(ticks.begin(), ticks.end()));
  std::printf("processor time of the 60-second take: %.2f s, %.2f%% of one core\n", cpuSeconds,
              cpuSeconds / 60.0 * 100.0);
  std::printf("take stored: %u bytes in track 8\n", app.m_pDocument->Track(7).m_PCM.nSize);
  return 0;
}
