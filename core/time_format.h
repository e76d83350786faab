#pragma once

#include <cstdint>
#include <string>

// Display types of positions.
inline constexpr int kDisplayTime = 0;
inline constexpr int kDisplayBeats = 1;
inline constexpr int kDisplaySamples = 2;

// The project format's data rate.
inline constexpr uint32_t kBytesPerSecond = 176400;

// Writes a byte position as "mm:ss.mmm", as beats or as sample values into text; a
// display type other than the three leaves text as it was.
void FormatPosition(uint32_t position, uint32_t bytesPerSecond, std::string& text, uint32_t beatsPerMinute,
                    int displayType);
