#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/wave/wave_device.h"

// The monitoring side of the recording engine: eight small buffers (256 frames each,
// about 46 ms in all) kept circling on the input device only to measure the input's
// level for the meters.
class AudioMonitor {
 public:
  static constexpr uint32_t kBufferBytes = 1024;
  static constexpr size_t kBuffers = 8;

  AudioMonitor();
  AudioMonitor(const AudioMonitor&) = delete;
  AudioMonitor& operator=(const AudioMonitor&) = delete;

  // Prepares the eight buffers and queues them on device in order; 1, or 0 after the
  // first failure was reported with operation as location.
  int QueueBuffers(platform::WaveInDevice& device, const char* operation);
  // Unprepares the eight buffers (the device must have handed them back); 1, or 0
  // after the first failure was reported with operation and waveFunction.
  int ReleaseBuffers(platform::WaveInDevice& device, const char* operation, const char* waveFunction);

  // Every 40 ms while monitoring: the levels become the peaks of the buffers the
  // device has filled since the last pass (levels stay when it filled none), and those
  // buffers go back to the device. 1, or 0 after a failure was reported.
  int HandleBuffer();

  // The last levels, 0 to 99 (the peak against 32700).
  int32_t LeftLevel() const { return m_inputLevelLeft; }
  int32_t RightLevel() const { return m_inputLevelRight; }

 private:
  bool Done(size_t b) const {
    return (m_headers[b].flags.load(std::memory_order_acquire) & platform::WHDR_DONE) != 0;
  }

  int32_t m_inputLevelLeft = 0;
  int32_t m_inputLevelRight = 0;
  std::array<platform::WaveHeader, kBuffers> m_headers;
  std::array<std::vector<char>, kBuffers> m_blocks;
  platform::WaveInDevice* m_device = nullptr;
};
