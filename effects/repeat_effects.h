#pragma once

#include <cstdint>

#include "effects/effect_progress.h"
#include "effects/effect_result.h"
#include "effects/paged_file.h"

// The effects that add delayed copies of the sound to itself inside [start, end) of the
// result file: Echo and Multi Voice copy the track's untouched sound (the source, a file
// of the track's bytes at the same positions), Reverb feeds its later repeats from the
// result itself. None of them lengthens the range.
namespace effects {

// One channel's settings: levels in percent, the delay in milliseconds.
struct RepeatChannel {
  int initial = 100;
  int wet = 50;
  int delayMs = 850;
};
struct RepeatSettings {
  RepeatChannel left;
  RepeatChannel right;
};

// With no delay and no loss per repeat (wet ratio 0) neither the gain nor the position
// would end the repeats; they stop after this many passes, by when any sound but
// silence is held at the sample limit.
inline constexpr uint32_t kMaxPassesWithoutDelay = 16;

// The passes a channel's repeats take: one more for every squaring of the gain until it
// falls to 0.005, or until a repeat would start at or after the end.
uint32_t RepeatPasses(float gain, uint32_t delayBytes, uint32_t start, uint32_t end);

EffectResult Echo(PagedFile& file, PagedFile& source, uint32_t start, uint32_t end, const RepeatSettings& settings,
                  EffectProgress& progress);
uint32_t EchoByteCount(uint32_t start, uint32_t end, const RepeatSettings& settings);

EffectResult Reverb(PagedFile& file, PagedFile& source, uint32_t start, uint32_t end, const RepeatSettings& settings,
                    EffectProgress& progress);
uint32_t ReverbByteCount(uint32_t start, uint32_t end, const RepeatSettings& settings);

// voices copies per channel, each at the wet ratio, one delay apart.
EffectResult MultiVoice(PagedFile& file, PagedFile& source, uint32_t start, uint32_t end,
                        const RepeatSettings& settings, int voices, EffectProgress& progress);
uint32_t MultiVoiceByteCount(uint32_t start, uint32_t end, const RepeatSettings& settings, int voices);

}  // namespace effects
