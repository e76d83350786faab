#pragma once

#include <cstdint>

// The tick count (ms) at which a device began to sound, estimated from samples taken
// during playback or recording, each an estimate of that same moment. The result is
// their mean, computed on differences from the first sample so that samples on both
// sides of the tick count's wrap at 2^32 average correctly. At most kMaxStartTickSamples
// are used; none gives 0.
inline constexpr uint32_t kMaxStartTickSamples = 100;
uint32_t EstimateStartTick(const uint32_t* samples, uint32_t count);
