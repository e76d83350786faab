#pragma once

#include <cstdint>
#include <string>

// Reads a typed time as bytes of the project format: "m:ss.fff" or "s.fff" for the
// time unit, "b.fff" beats at the tempo, or a count of sample values. -1 for a text
// that is empty or holds anything but digits, "." and ":".
int64_t ConvertTimeStringToBytes(const std::string& text, int unit, uint32_t bytesPerSecond, uint32_t beatsPerMinute);

// The display names of the three units, in combo-box order.
inline constexpr const char* kTimeUnitNames[] = {"Time", "Beats", "Samples"};
