#pragma once

// The per-sample arithmetic of every mix of the project's tracks (playback and
// mixdown): level gains, the scaled sum of a track into a mix, the master gain and the
// clamp at +-32700.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "document/mixer_doc.h"

inline constexpr int kMixClamp = 32700;

inline int ClampMixSample(int value) {
  return std::clamp(value, -kMixClamp, kMixClamp);
}

// The gain of a mixing-board level index; an index outside the table leaves the
// signal as it is.
inline float LevelGain(int index) {
  return (index >= 0 && index < static_cast<int>(kLevelTable.size())) ? kLevelTable[static_cast<size_t>(index)] : 1.0f;
}

// Little-endian 16-bit sample i of bytes.
inline int16_t SampleAt(const uint8_t* bytes, size_t i) {
  return static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
}

// Adds samples (left-right pairs, little-endian) scaled by the left and right gains
// to mix, each sum clamped. Mix is any integer sample type wide enough for +-32700.
template <typename Sample>
void AddScaledSamples(Sample* mix, const uint8_t* bytes, size_t samples, const std::array<float, 2>& gains) {
  // A float converts to int by truncation, as the mix asks; frames go left, right.
  size_t s = 0;
  for (; s + 1 < samples; s += 2) {
    mix[s] = static_cast<Sample>(ClampMixSample(mix[s] + static_cast<int>(SampleAt(bytes, s) * gains[0])));
    mix[s + 1] = static_cast<Sample>(ClampMixSample(mix[s + 1] + static_cast<int>(SampleAt(bytes, s + 1) * gains[1])));
  }
  if (s < samples)
    mix[s] = static_cast<Sample>(ClampMixSample(mix[s] + static_cast<int>(SampleAt(bytes, s) * gains[0])));
}

// The master gain over a mix, in place, clamped.
template <typename Sample>
void ApplyMasterGain(Sample* mix, size_t samples, const std::array<float, 2>& gains) {
  for (size_t s = 0; s < samples; ++s) {
    mix[s] = static_cast<Sample>(ClampMixSample(static_cast<int>(mix[s] * gains[s & 1])));
  }
}
