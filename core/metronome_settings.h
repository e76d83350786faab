#pragma once

#include <cstdint>

// The metronome's settings, as the configuration record and the project file hold them.
struct MetronomeSettings {
  int32_t on = 0;
  uint8_t measure = 1;  // 0 none, 1 four beats, 2 three beats
  uint8_t sound = 1;    // 1 stick, 0 drum beat
  int32_t accent = 1;
  int16_t tempo = 100;
  uint8_t level = 10;  // level index 0..60
};
