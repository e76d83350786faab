#pragma once

#include <array>
#include <cstdint>
#include <vector>

// The metronome's four clicks, synthesised: a side stick, a bass drum, a snare drum and
// a hi-hat, each 2048 frames (about 46 ms) of project-format PCM (16-bit little-endian,
// left then right), fading to silence by their end.
namespace metronome_samples {

inline constexpr uint32_t kSampleBytes = 8192;

struct Sample {
  const char* fileName;
  std::vector<uint8_t> (*make)();
};

std::vector<uint8_t> SideStick();
std::vector<uint8_t> BassDrum();
std::vector<uint8_t> SnareDrum();
std::vector<uint8_t> HiHat();

inline constexpr std::array<Sample, 4> kSamples = {{
    {"metro.dat", SideStick},
    {"bass.dat", BassDrum},
    {"snare.dat", SnareDrum},
    {"hihat.dat", HiHat},
}};

}  // namespace metronome_samples
