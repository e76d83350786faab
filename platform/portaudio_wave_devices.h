#pragma once

#include "platform/wave_devices.h"

namespace platform {

// Starts the audio library once for the process, keeping its start-up noise off
// standard error; false when it cannot start.
bool StartPortAudio();

// The audio library's devices. The library is started on first use and stays up for
// the life of the process.
class PortAudioWaveDevices : public WaveDevices {
 public:
  std::vector<std::string> OutputNames() override;
  std::vector<std::string> InputNames() override;
};

}  // namespace platform
