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
#include <type_traits>

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
// known count with no branch in it is one the compiler turns into vector code even
// at -O2. apply(s, k) is called for every sample s, k being its place in its lane
// group (even: left, odd: right).
inline constexpr size_t kMixLanes = 8;
template <typename Apply>
inline void ForEachSample(size_t samples, Apply&& apply) {
  size_t s = 0;
  for (; s + kMixLanes <= samples; s += kMixLanes) {
    for (size_t k = 0; k < kMixLanes; ++k) apply(s + k, k);
  }
  for (; s < samples; ++s) apply(s, s & 1);
}

// Adds samples to a 16-bit mix (within +-32700) at unity gain, each sum clamped, in
// vector code of its own (mix_samples.cpp).
void AddUnitySamples16(int16_t* __restrict mix, const int16_t* __restrict in, size_t samples);

// Adds samples (left-right pairs) scaled by the left and right gains to mix; each
// product is taken in single precision and truncated toward zero, each sum clamped.
// Mix is any integer sample type wide enough for +-32700.
template <typename Sample>
void AddScaledSamples(Sample* __restrict mix, const int16_t* __restrict in, size_t samples,
                      const std::array<float, 2>& gains) {
  if (gains[0] == 1.0f && gains[1] == 1.0f) {
    // Unity gain scales nothing: the sums alone, in integers; in 16 bits when the mix is.
    if constexpr (std::is_same_v<Sample, int16_t>) {
      AddUnitySamples16(mix, in, samples);
    } else {
      ForEachSample(samples, [&](size_t s, size_t) { mix[s] = static_cast<Sample>(ClampMixSample(mix[s] + in[s])); });
    }
    return;
  }
  float lanes[kMixLanes];
  for (size_t k = 0; k < kMixLanes; ++k) lanes[k] = gains[k & 1];
  ForEachSample(samples, [&](size_t s, size_t k) {
    mix[s] = static_cast<Sample>(ClampMixSample(mix[s] + static_cast<int>(in[s] * lanes[k])));
  });
}

// The same over the little-endian bytes of a PCM file, taken a piece at a time.
template <typename Sample>
void AddScaledSamples(Sample* mix, const uint8_t* bytes, size_t samples, const std::array<float, 2>& gains) {
  static_assert(std::endian::native == std::endian::little, "PCM files hold little-endian samples");
  // An even piece keeps every piece starting on a left sample.
  constexpr size_t kPiece = 1024;
  int16_t piece[kPiece];
  for (size_t s = 0; s < samples; s += kPiece) {
    const size_t count = std::min(kPiece, samples - s);
    std::memcpy(piece, bytes + 2 * s, 2 * count);
    AddScaledSamples(mix + s, piece, count, gains);
  }
}

// The master gain over a mix, in place, clamped. Unity gain leaves a mix within the
// clamp as it is.
template <typename Sample>
void ApplyMasterGain(Sample* __restrict mix, size_t samples, const std::array<float, 2>& gains) {
  if (gains[0] == 1.0f && gains[1] == 1.0f) {
    ForEachSample(samples, [&](size_t s, size_t) { mix[s] = static_cast<Sample>(ClampMixSample(mix[s])); });
    return;
  }
  float lanes[kMixLanes];
  for (size_t k = 0; k < kMixLanes; ++k) lanes[k] = gains[k & 1];
  ForEachSample(samples, [&](size_t s, size_t k) {
    mix[s] = static_cast<Sample>(ClampMixSample(static_cast<int>(mix[s] * lanes[k])));
  });
}
