#pragma once

#include <vector>

#include "platform/wave/stream_wave_device.h"

namespace platform {

// The audio library's devices (PortAudio, in callback mode). Output device n is the
// library's n-th device with output channels, input device n its n-th device with input
// channels: the same lists the first-run page shows. WAVE_MAPPER is the library's
// default device. The library is started once, on first use, and stays up for the life
// of the process; it sees the devices that exist at that moment. Without a sound server
// there are none, and opening fails with MMSYSERR_BADDEVICEID (or MMSYSERR_NODRIVER for
// WAVE_MAPPER and when the library did not start).
class PortAudioWaveSystem final : public WaveSystem, private StreamBackend {
 public:
  PortAudioWaveSystem();

  unsigned OutputCount() override { return static_cast<unsigned>(m_outputs.size()); }
  unsigned InputCount() override { return static_cast<unsigned>(m_inputs.size()); }
  unsigned GetOutputCaps(unsigned deviceId, WaveOutCaps* caps) override;
  unsigned GetInputCaps(unsigned deviceId, WaveInCaps* caps) override;
  std::unique_ptr<WaveOutDevice> CreateOutput() override;
  std::unique_ptr<WaveInDevice> CreateInput() override;

 private:
  unsigned OpenOutputStream(unsigned deviceId, const WaveFormat& format, PlaybackQueue& queue,
                            std::unique_ptr<AudioStream>* stream) override;
  unsigned OpenInputStream(unsigned deviceId, const WaveFormat& format, CaptureQueue& queue,
                           std::unique_ptr<AudioStream>* stream) override;
  // The library's device index for one of ours, or -1 with the result in *result.
  int LibraryDevice(const std::vector<int>& devices, int defaultIndex, unsigned deviceId, unsigned* result) const;

  bool m_started = false;
  std::vector<int> m_outputs, m_inputs;
  int m_defaultOutput = -1, m_defaultInput = -1;  // positions in the lists above
};

}  // namespace platform
