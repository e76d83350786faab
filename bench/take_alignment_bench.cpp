// Where takes land, measured through a sound server: track 1 holds clicks and plays
// into the server's default sink while track 2 records its default source (a null
// sink's monitor, as scripts/pulse-test-server.sh makes it); the residual offset of
// each take against the clicks is printed in samples (1 ms is 44 samples).
//
//   scripts/pulse-test-server.sh start /tmp/pulse
//   XDG_RUNTIME_DIR=/tmp/pulse take_alignment_bench [ROUNDS] [SETTLE_SECONDS]
//
// The first take comes SETTLE_SECONDS (10 unless given) after the devices open: a
// stream's times are off by up to some milliseconds for its first seconds, and 0 shows
// what that does to takes made at once.
//
// Run it once as it is, and once with a stream of silence that asks for a low latency
// (pacat --playback --latency-msec=1 /dev/zero) to see what the sink's own latency
// adds: the monitor hears the audio when the sink takes it, not when it counts it as
// played.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "bench/bench_project.h"
#include "platform/clock.h"
#include "platform/wave/portaudio_wave_system.h"
#include "tests/engine/loopback_take.h"

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const int settleSeconds = argc > 2 ? std::max(0, std::atoi(argv[2])) : 10;
  BenchProject project("take_alignment_bench");
  if (!project.Started()) return 1;
  CMixerApp& app = *project.app;
  platform::SteadyClock clock;
  platform::PolledTimers timers(clock);
  platform::PortAudioWaveSystem wave;
  if (wave.OutputCount() == 0 || wave.InputCount() == 0) {
    std::printf("no sound server with an output and an input: nothing measured\n");
    return 1;
  }
  project.LoadTrack(0, ClickTrack(10 * 176400));
  if (!UseRealDevices(app, clock, timers, wave)) {
    std::printf("the devices could not be opened\n");
    return 1;
  }
  std::printf("first take %d s after the devices opened\n", settleSeconds);
  std::this_thread::sleep_for(std::chrono::seconds(settleSeconds));
  const LoopbackCase cases[] = {
      {"at the project start", 0},
      {"from the middle", 3 * 176400 + 4000},
      {"punched in between markers", 176400, 4 * 176400, 6 * 176400, 6},
  };
  for (int round = 0; round < rounds; ++round) {
    for (const LoopbackCase& loopbackCase : cases) {
      std::string why;
      const std::optional<int> offset = MeasureLoopbackTake(app, loopbackCase, why);
      if (offset) {
        std::printf("residual offset %s: %d samples\n", loopbackCase.name, *offset);
      } else {
        std::printf("residual offset %s: not measured (%s)\n", loopbackCase.name, why.c_str());
      }
    }
  }
  // The application goes before the devices and the clock.
  project.app.reset();
  return 0;
}
