#include "engine/start_tick.h"

#include <algorithm>
#include <cmath>

uint32_t EstimateStartTick(const uint32_t* samples, uint32_t count) {
  count = std::min(count, kMaxStartTickSamples);
  if (!samples || count == 0) return 0;
  const uint32_t first = samples[0];
  // Each sample's signed distance from the first: ticks wrap, and two estimates of one
  // moment lie far closer together than 2^31.
  int64_t sum = 0;
  for (uint32_t i = 0; i < count; ++i) sum += static_cast<int32_t>(samples[i] - first);
  // Truncated toward zero, as a division of the distances.
  const int64_t mean = sum / static_cast<int64_t>(count);
  return first + static_cast<uint32_t>(mean);
}

void AddStartTickSample(uint32_t t0, uint32_t t1, unsigned result, uint32_t bytes, uint32_t* samples,
                        uint32_t* count) {
  if (result != 0 || *count >= kMaxStartTickSamples || t1 - t0 > 3 || bytes == 0) return;
  constexpr double kBytesPerMicrosecond = 0.1764;
  const auto sounded = static_cast<uint32_t>(std::llround(static_cast<double>(bytes) / kBytesPerMicrosecond));
  samples[(*count)++] = StartTickOf(t0) - sounded;
}
