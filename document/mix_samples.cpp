#include "document/mix_samples.h"

namespace {

// The clamped sum of a mix sample (within +-32700) and a 16-bit sample, computed in
// 16 bits throughout: the mix is first limited to what the sample leaves room for,
// then the sample added. Every intermediate value fits 16 bits.
inline int16_t ClampedSum16(int16_t mix, int16_t sample) {
  const auto high = static_cast<int16_t>(kMixClamp - std::max<int16_t>(sample, 0));
  const auto low = static_cast<int16_t>(-kMixClamp - std::min<int16_t>(sample, 0));
  return static_cast<int16_t>(std::min(std::max(mix, low), high) + sample);
}

}  // namespace

void AddUnitySamples16(int16_t* __restrict mix, const int16_t* __restrict in, size_t samples) {
  ForEachSample(samples, [&](size_t s, size_t) { mix[s] = ClampedSum16(mix[s], in[s]); });
}
