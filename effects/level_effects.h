#pragma once

#include <cstdint>

#include "effects/effect_progress.h"
#include "effects/effect_result.h"
#include "effects/paged_file.h"

// The effects that change levels and channels of the bytes [start, end) of an open
// result file in place, without changing its length.
namespace effects {

struct Levels {
  int left = 100;
  int right = 100;
};
struct Channels {
  bool left = true;
  bool right = true;
};

EffectResult AdjustVolume(PagedFile& file, uint32_t start, uint32_t end, Levels levels, EffectProgress& progress);
// The level of each channel runs in a straight line from its starting to its ending
// level across the range, in whole percents; different lines per channel pan.
EffectResult Fade(PagedFile& file, uint32_t start, uint32_t end, Levels starting, Levels ending,
                  EffectProgress& progress);
EffectResult Mute(PagedFile& file, uint32_t start, uint32_t end, Channels channels, EffectProgress& progress);
// The frames of the checked channels in reverse order; a middle frame left over from an
// odd number of frames stays where it is.
EffectResult Reverse(PagedFile& file, uint32_t start, uint32_t end, Channels channels, EffectProgress& progress);
EffectResult SwapChannels(PagedFile& file, uint32_t start, uint32_t end, EffectProgress& progress);
EffectResult CopyChannel(PagedFile& file, uint32_t start, uint32_t end, bool rightToLeft, EffectProgress& progress);

}  // namespace effects
