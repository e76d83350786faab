#pragma once

#include <cstdint>
#include <string>

namespace view {

// The time labels of the strip below the waveform. They name positions step bytes
// apart (a quarter of the view), so they carry as many decimals as it takes for
// neighbours to differ: the clocks' three (milliseconds, thousandths of a beat) while
// the step is at least one unit of the last place, up to six (microseconds; a frame
// is 22.7 µs) when zoomed in to single samples. Three decimals read exactly as the
// clocks do (FormatPosition); sample values are whole numbers at every zoom.

// The decimals for labels step bytes apart in the display type at the tempo.
int LabelDecimals(uint32_t step, uint32_t beatsPerMinute, int displayType);
// A position as a label with those decimals.
std::string FormatLabel(uint32_t position, uint32_t step, uint32_t beatsPerMinute, int displayType);

}  // namespace view
