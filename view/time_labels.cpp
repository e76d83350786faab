#include "view/time_labels.h"

#include <cstdio>

#include "core/time_format.h"

namespace view {

namespace {

constexpr int kClockDecimals = 3;
constexpr int kMostDecimals = 6;

uint64_t PowerOfTen(int exponent) {
  uint64_t value = 1;
  for (int i = 0; i < exponent; ++i) value *= 10;
  return value;
}

// The decimals at which one unit of the last place is no more than the step, itself
// given as a fraction numerator / denominator of the label's unit.
int DecimalsFor(double numerator, double denominator) {
  if (numerator <= 0 || denominator <= 0) return kClockDecimals;
  int decimals = kClockDecimals;
  // step < 10^-decimals, i.e. numerator x 10^decimals < denominator.
  while (decimals < kMostDecimals && numerator * static_cast<double>(PowerOfTen(decimals)) < denominator) ++decimals;
  return decimals;
}

}  // namespace

int LabelDecimals(uint32_t step, uint32_t beatsPerMinute, int displayType) {
  switch (displayType) {
    case kDisplayTime: return DecimalsFor(step, kBytesPerSecond);
    case kDisplayBeats: return DecimalsFor(static_cast<double>(step) * beatsPerMinute, 60.0 * kBytesPerSecond);
    default: return 0;
  }
}

std::string FormatLabel(uint32_t position, uint32_t step, uint32_t beatsPerMinute, int displayType) {
  const int decimals = LabelDecimals(step, beatsPerMinute, displayType);
  std::string text;
  if (displayType == kDisplaySamples || decimals <= kClockDecimals) {
    FormatPosition(position, kBytesPerSecond, text, beatsPerMinute, displayType);
    return text;
  }
  if (displayType == kDisplayTime) {
    // Whole units of the last place, rounded half up, in integers: exact at every zoom.
    const uint64_t scale = PowerOfTen(decimals);
    const uint64_t units = (uint64_t{position} * scale * 2 + kBytesPerSecond) / (2 * kBytesPerSecond);
    const uint64_t seconds = units / scale;
    auto padded = [](uint64_t value, size_t digits) {
      std::string text = std::to_string(value);
      return text.size() < digits ? std::string(digits - text.size(), '0') + text : text;
    };
    return padded(seconds / 60, 2) + ":" + padded(seconds % 60, 2) + "." +
           padded(units % scale, static_cast<size_t>(decimals));
  }
  const double beats = static_cast<double>(position) / kBytesPerSecond * beatsPerMinute / 60.0;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, beats);
  return buffer;
}

}  // namespace view
