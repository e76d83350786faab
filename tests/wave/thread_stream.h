#pragma once

// A stream backend whose streams run on a std::thread of their own, as an audio
// library's do, rendering and capturing as fast as the queue allows. It puts the
// stream devices' handover under real concurrency without a sound server, and keeps
// what it played and what it dropped so that a test can check every byte.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/wave/stream_wave_device.h"

namespace wavetest {

class ThreadStreamBackend : public platform::StreamBackend {
 public:
  // Bytes handed to (or taken from) the queue per call.
  explicit ThreadStreamBackend(uint32_t bytesPerCall = 1024) : m_bytesPerCall(bytesPerCall) {}

  unsigned OpenOutputStream(unsigned deviceId, const platform::WaveFormat& format, platform::PlaybackQueue& queue,
                            std::unique_ptr<platform::AudioStream>* stream) override;
  unsigned OpenInputStream(unsigned deviceId, const platform::WaveFormat& format, platform::CaptureQueue& queue,
                           std::unique_ptr<platform::AudioStream>* stream) override;

  // Read only while no stream runs. The data the output played, in runs: one from
  // each Start, and one from each BeginRun.
  std::vector<std::vector<char>> outputRuns;
  // Ends the output's run: whatever it plays from now on goes into a new one.
  void BeginRun() {
    std::lock_guard lock(m_runs);
    outputRuns.emplace_back();
  }
  // Input: the frames heard so far (each frame holds its own number, little-endian)
  // and how many of them found no header.
  uint32_t framesHeard = 0;
  uint64_t framesDropped = 0;
  // While set, the streams stop by themselves and do not start, as when the sound
  // server has gone away.
  std::atomic<bool> deviceLost{false};

 private:
  friend class ThreadOutputStream;
  friend class ThreadInputStream;
  uint32_t m_bytesPerCall;
  // Held by the output across each render and the keeping of what it played.
  std::mutex m_runs;
};

}  // namespace wavetest
