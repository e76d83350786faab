#include "platform/wave/wave_device.h"

namespace platform {

bool IsSupportedWaveFormat(const WaveFormat& format) {
  if (format.formatTag != WAVE_FORMAT_PCM) return false;
  if (format.channels < 1 || format.channels > 2) return false;
  if (format.bitsPerSample != 8 && format.bitsPerSample != 16) return false;
  if (format.samplesPerSec < 8000 || format.samplesPerSec > 192000) return false;
  if (format.blockAlign != format.channels * format.bitsPerSample / 8) return false;
  return format.avgBytesPerSec == format.samplesPerSec * format.blockAlign;
}

std::vector<std::string> WaveSystem::OutputNames() {
  std::vector<std::string> names;
  unsigned count = OutputCount();
  for (unsigned id = 0; id < count; ++id) {
    WaveOutCaps caps;
    // A device whose capabilities cannot be read keeps its place, so that indices hold.
    GetOutputCaps(id, &caps);
    names.push_back(caps.productName);
  }
  return names;
}

std::vector<std::string> WaveSystem::InputNames() {
  std::vector<std::string> names;
  unsigned count = InputCount();
  for (unsigned id = 0; id < count; ++id) {
    WaveInCaps caps;
    GetInputCaps(id, &caps);
    names.push_back(caps.productName);
  }
  return names;
}

}  // namespace platform
