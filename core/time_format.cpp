#include "core/time_format.h"

#include <cstdio>

namespace {

// Minutes, seconds and milliseconds, computed in single precision as the clocks have
// always shown them: minutes come from the unrounded seconds, so a position a
// fraction of a millisecond before a whole minute reads 00:60.000.
std::string FormatTime(uint32_t position, uint32_t bytesPerSecond) {
  if (bytesPerSecond == 0) return "0";
  float seconds = static_cast<float>(static_cast<double>(position) / bytesPerSecond);
  int whole = static_cast<int>(seconds);
  float fraction = (seconds - static_cast<float>(whole)) * 1000.0f;
  int milliseconds = static_cast<int>(fraction);
  if (fraction - static_cast<float>(milliseconds) >= 0.5f) ++milliseconds;
  if (milliseconds >= 1000) {
    ++whole;
    milliseconds = 0;
  }
  int minutes = static_cast<int>(seconds / 60.0f);
  char text[48];
  std::snprintf(text, sizeof text, "%2d:%2d.%3d", minutes, whole - minutes * 60, milliseconds);
  for (char* c = text; *c; ++c) {
    if (*c == ' ') *c = '0';
  }
  return text;
}

std::string FormatBeats(uint32_t position, uint32_t bytesPerSecond, uint32_t beatsPerMinute) {
  if (bytesPerSecond == 0) return "0";
  float seconds = static_cast<float>(static_cast<double>(position) / bytesPerSecond);
  float beatsPerSecond = static_cast<float>(static_cast<double>(beatsPerMinute) / 60.0);
  float beats = seconds * beatsPerSecond;
  char text[48];
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(beats));
  return text;
}

}  // namespace

void FormatPosition(uint32_t position, uint32_t bytesPerSecond, std::string& text, uint32_t beatsPerMinute,
                    int displayType) {
  switch (displayType) {
    case kDisplayTime: text = FormatTime(position, bytesPerSecond); break;
    case kDisplayBeats: text = FormatBeats(position, bytesPerSecond, beatsPerMinute); break;
    case kDisplaySamples: text = std::to_string(static_cast<long>(position * 0.5)); break;
    default: break;
  }
}
