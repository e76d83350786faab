#include "document/time_input.h"

#include <algorithm>
#include <cmath>

#include "core/time_format.h"

namespace {

bool ParseWhole(const std::string& digits, int64_t& value) {
  value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > 0xFFFFFFFFLL) return false;  // no position of a track is this large
  }
  return true;
}

// Thousandths from a fraction's digits: one digit counts hundreds, two tens, and
// digits beyond the third are below a thousandth.
int64_t Thousandths(const std::string& digits) {
  std::string three = digits.substr(0, 3);
  int64_t value = 0;
  ParseWhole(three, value);
  for (size_t i = three.size(); i < 3; ++i) value *= 10;
  return value;
}

// The whole part plus the fraction cut to a whole number, plus one frame when the cut
// fraction reached one half.
int64_t Combine(int64_t whole, double fraction) {
  double cut = std::floor(fraction);
  return whole + static_cast<int64_t>(cut) + (fraction - cut >= 0.5 ? 4 : 0);
}

}  // namespace

int64_t ConvertTimeStringToBytes(const std::string& text, int unit, uint32_t bytesPerSecond, uint32_t beatsPerMinute) {
  if (text.empty() || text.find_first_not_of("0123456789.:") != std::string::npos) return -1;
  if (unit == kDisplaySamples) {
    int64_t samples = 0;
    if (!ParseWhole(text, samples)) return -1;
    return (samples & ~int64_t{1}) * 2;
  }

  // At most one ":" (time only) and one ".", in that order.
  if (std::count(text.begin(), text.end(), ':') > 1 || std::count(text.begin(), text.end(), '.') > 1) return -1;
  auto colon = text.find(':');
  auto dot = text.find('.');
  if (colon != std::string::npos && (unit != kDisplayTime || (dot != std::string::npos && dot < colon))) return -1;

  std::string fractionDigits = dot == std::string::npos ? "" : text.substr(dot + 1);
  std::string wholeText = text.substr(0, dot);
  int64_t minutes = 0, units = 0;
  if (colon != std::string::npos) {
    if (!ParseWhole(wholeText.substr(0, colon), minutes)) return -1;
    wholeText = wholeText.substr(colon + 1);
  }
  if (!ParseWhole(wholeText, units)) return -1;
  double fraction = static_cast<double>(Thousandths(fractionDigits)) / 1000.0;

  if (unit == kDisplayTime) {
    return Combine(int64_t{bytesPerSecond} * (60 * minutes + units), fraction * bytesPerSecond);
  }
  if (unit == kDisplayBeats) {
    int64_t bytesPerBeat = beatsPerMinute == 0 ? 105840 : static_cast<int64_t>(60.0 / beatsPerMinute * bytesPerSecond);
    return Combine(units * bytesPerBeat, fraction * static_cast<double>(bytesPerBeat));
  }
  return -1;
}
