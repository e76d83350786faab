#pragma once

#include <array>
#include <cstdint>

// How a level 0 to 99 shows on a meter of range 0 to 100: the input meters of the
// recording and monitor dialogs and the mixing board's output meters.
extern const std::array<uint8_t, 100> kMeterResponse;

// The meter position of a level; levels outside 0 to 99 count as the nearest end.
int MeterPosition(int level);
