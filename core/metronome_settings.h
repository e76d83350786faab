#pragma once

#include <cstdint>

// The metronome's On and Off buttons, on the first-run page and in its own dialog.
inline constexpr const char* IDC_METRO_ON = "IDC_METRO_ON";
inline constexpr const char* IDC_METRO_OFF = "IDC_METRO_OFF";

// The metronome's settings, as the configuration record and the project file hold them.
struct MetronomeSettings {
  int32_t on = 0;
  uint8_t measure = 1;  // 0 none, 1 four beats, 2 three beats
  uint8_t sound = 1;    // 1 stick, 0 drum beat
  int32_t accent = 1;
  int16_t tempo = 100;
  uint8_t level = 10;  // level index 0..60

  // A negative stored tempo counts as 0.
  uint32_t Tempo() const { return tempo > 0 ? static_cast<uint32_t>(tempo) : 0; }
};
