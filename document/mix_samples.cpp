#include "document/mix_samples.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A mix within +-32700 plus a 16-bit sample, clamped to +-32700, equals the
// saturating 16-bit sum clamped: the sum only saturates beyond 32767, which the clamp
// takes to 32700 either way. Eight samples go to one saturating add and two limits.
void AddUnitySamples16(int16_t* __restrict mix, const int16_t* __restrict in, size_t samples) {
  size_t s = 0;
#if defined(__SSE2__)
  const __m128i high = _mm_set1_epi16(kMixClamp), low = _mm_set1_epi16(-kMixClamp);
  for (; s + 8 <= samples; s += 8) {
    const __m128i sum = _mm_adds_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(mix + s)),
                                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + s)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(mix + s), _mm_max_epi16(_mm_min_epi16(sum, high), low));
  }
#endif
  for (; s < samples; ++s) mix[s] = static_cast<int16_t>(ClampMixSample(mix[s] + in[s]));
}
