#pragma once

#include <cstdint>

// The moment at which a device began to sound (or to capture), estimated from samples
// taken during playback or recording, each an estimate of that same moment. Start ticks
// are in microseconds of the tick count (the millisecond tick times 1000, with the
// fraction of a millisecond that a device position tells) and wrap at 2^32 like it;
// two starts that are compared lie far closer together than the half of that, 35
// minutes. The result is the samples' mean, computed on differences from the first
// sample so that samples on both sides of the wrap average correctly. At most
// kMaxStartTickSamples are used; none gives 0.
inline constexpr uint32_t kMaxStartTickSamples = 100;
uint32_t EstimateStartTick(const uint32_t* samples, uint32_t count);

// A millisecond tick count as a start tick.
constexpr uint32_t StartTickOf(uint32_t tickMs) {
  return tickMs * 1000u;
}

// Appends one sample to samples (count of them held, at most kMaxStartTickSamples): the
// tick t0 (ms) less the time that a device position of bytes (project format) stands
// for, as a start tick. The position is trusted only when it was read without error
// (result 0) and was not 0, and t1, a tick read after it, is within 3 ms of t0.
void AddStartTickSample(uint32_t t0, uint32_t t1, unsigned result, uint32_t bytes, uint32_t* samples,
                        uint32_t* count);
