#pragma once

#include <cstdint>

// Sound added to the playback mix of a take before the master gain (the metronome).
class MixAddition {
 public:
  virtual ~MixAddition() = default;
  // samples: the mix of bytes bytes (at most half a second) from project position on.
  virtual void AddToMix(int16_t* samples, uint32_t bytes, uint32_t position) = 0;
};

// While a take records, the playback plays on past the end of the project, leaves the
// armed track out unless the take listens to it, and adds the clicks.
struct TakeMix {
  bool recording = false;
  bool listen = false;
  MixAddition* clicks = nullptr;
};
