// What the metronome's clicks cost a take's playback.
//
//   metronome_bench
//
// MetronomeClicks::Mix of one 88,200-byte buffer with the shipped clicks, for the side
// stick and for the bass / snare / hi-hat beat at 120 and at 260 beats per minute (the
// most clicks a buffer gets): the mean, the 99th percentile and the largest time per
// buffer (on a busy machine the largest is mostly the time the thread was not
// running), and the mean as a share of the half second the buffer plays.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "assets/metronome_samples.h"
#include "engine/metronome_clicks.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBuffers = 2000;

MetronomeClicks::Click ClickOf(const std::vector<uint8_t>& bytes) {
  MetronomeClicks::Click click{};
  for (size_t i = 0; i < click.size(); ++i) click[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return click;
}

}  // namespace

int main() {
  MetronomeClicks clicks;
  const MetronomeClicks::Voice voices[] = {MetronomeClicks::kStick, MetronomeClicks::kBass, MetronomeClicks::kSnare,
                                           MetronomeClicks::kHiHat};
  for (size_t n = 0; n < metronome_samples::kSamples.size(); ++n) {
    clicks.SetClick(voices[n], ClickOf(metronome_samples::kSamples[n].make()));
  }
  std::vector<int16_t> buffer(MetronomeClicks::kBufferBytes / 2);
  std::printf("%-24s %6s %10s %10s %10s %10s\n", "sound", "bpm", "mean us", "p99 us", "max us", "of 500 ms");
  for (bool stick : {true, false}) {
    for (uint32_t bpm : {120u, 260u}) {
      clicks.Apply({true, bpm, 1, true, stick});
      std::vector<double> times;
      for (int b = 0; b < kBuffers; ++b) {
        std::fill(buffer.begin(), buffer.end(), static_cast<int16_t>(b));
        const auto start = Clock::now();
        clicks.Mix(buffer.data(), static_cast<uint32_t>(b) * MetronomeClicks::kBufferBytes, 1.0f);
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        times.push_back(us);
      }
      double total = 0;
      for (double us : times) total += us;
      const double mean = total / kBuffers;
      std::sort(times.begin(), times.end());
      std::printf("%-24s %6u %10.2f %10.2f %10.2f %9.4f%%\n", stick ? "side stick" : "bass / snare / hi-hat", bpm,
                  mean, times[times.size() * 99 / 100], times.back(), mean / 5000.0);
    }
  }
  return 0;
}
