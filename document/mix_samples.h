#pragma once

// The per-sample arithmetic of every mix of the project's tracks (playback and
// mixdown): level gains, the scaled sum of a track into a mix, the master gain and the
// clamp at +-32700.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "document/mixer_doc.h"

inline constexpr int kMixClamp = 32700;

inline int ClampMixSample(int value) {
  return std::min(std::max(value, -kMixClamp), kMixClamp);
}

// The gain of a mixing-board level index; an index outside the table leaves the
// signal as it is.
inline float LevelGain(int index) {
  return (index >= 0 && index < static_cast<int>(kLevelTable.size())) ? kLevelTable[static_cast<size_t>(index)] : 1.0f;
}

// The mixes run a fixed number of samples (whole frames) at a time: a loop of a
// known count with no branch in it is one the compiler turns into vector code at -O2.
inline constexpr size_t kMixLanes = 8;

// A mix sum of a track's sample scaled by its gain; the float product truncates
// toward zero as the mix asks, and the clamp is a min/max, not a branch.
inline int ScaledSum(int mix, int16_t sample, float gain) {
  return ClampMixSample(mix + static_cast<int>(sample * gain));
}

// Adds samples (left-right pairs, little-endian) scaled by the left and right gains
// to mix, each sum clamped. Mix is any integer sample type wide enough for +-32700.
template <typename Sample>
void AddScaledSamples(Sample* __restrict mix, const uint8_t* __restrict bytes, size_t samples,
                      const std::array<float, 2>& gains) {
  static_assert(std::endian::native == std::endian::little, "PCM files hold little-endian samples");
  float lanes[kMixLanes];
  for (size_t k = 0; k < kMixLanes; ++k) lanes[k] = gains[k & 1];
  size_t s = 0;
  for (; s + kMixLanes <= samples; s += kMixLanes) {
    int16_t in[kMixLanes];
    std::memcpy(in, bytes + 2 * s, sizeof in);
    for (size_t k = 0; k < kMixLanes; ++k) mix[s + k] = static_cast<Sample>(ScaledSum(mix[s + k], in[k], lanes[k]));
  }
  for (; s < samples; ++s) {
    int16_t in;
    std::memcpy(&in, bytes + 2 * s, sizeof in);
    mix[s] = static_cast<Sample>(ScaledSum(mix[s], in, gains[s & 1]));
  }
}

// The master gain over a mix, in place, clamped.
template <typename Sample>
void ApplyMasterGain(Sample* mix, size_t samples, const std::array<float, 2>& gains) {
  float lanes[kMixLanes];
  for (size_t k = 0; k < kMixLanes; ++k) lanes[k] = gains[k & 1];
  size_t s = 0;
  for (; s + kMixLanes <= samples; s += kMixLanes) {
    for (size_t k = 0; k < kMixLanes; ++k) mix[s + k] = static_cast<Sample>(ClampMixSample(static_cast<int>(mix[s + k] * lanes[k])));
  }
  for (; s < samples; ++s) mix[s] = static_cast<Sample>(ClampMixSample(static_cast<int>(mix[s] * gains[s & 1])));
}
