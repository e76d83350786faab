#pragma once

#include <cstdint>

// The tick count (ms) at which a device began to sound, estimated from samples taken
// during playback or recording, each an estimate of that same moment. The result is
// their mean, computed on differences from the first sample so that samples on both
// sides of the tick count's wrap at 2^32 average correctly. At most kMaxStartTickSamples
// are used; none gives 0.
inline constexpr uint32_t kMaxStartTickSamples = 100;
uint32_t EstimateStartTick(const uint32_t* samples, uint32_t count);

// Appends one sample to samples (count of them held, at most kMaxStartTickSamples): the
// tick t0 less the time that a device position of bytes (project format) stands for.
// The position is trusted only when it was read without error (result 0) and was not
// 0, and t1, a tick read after it, is within 3 ms of t0.
void AddStartTickSample(uint32_t t0, uint32_t t1, unsigned result, uint32_t bytes, uint32_t* samples,
                        uint32_t* count);
