#pragma once

// Devices over an audio library's callback streams: the stream's thread renders out of
// (or captures into) the queue. A stream runs from the open of its device to the close,
// and the queue's gate lets it at the headers only while there is something to do.
// The library's times of a stream that has just started are off by milliseconds and
// settle over some seconds; a stream that runs on keeps them settled from one take to
// the next, and the position lines keep the times they have.

#include <cstdint>
#include <memory>

#include "platform/wave/queued_wave_device.h"

namespace platform {

// One open stream of an audio library.
class AudioStream {
 public:
  virtual ~AudioStream() = default;
  // Begins calling the queue from the stream's own thread.
  virtual unsigned Start() = 0;
  // Returns once the last call into the queue has returned; none follows until Start.
  virtual void Stop() = 0;
  // False once the stream has stopped by itself (the device or the sound server went
  // away).
  virtual bool IsRunning() const = 0;
};

// Opens streams on an audio library's devices. An output stream calls
// queue.Render(out, bytes, start) with the steady clock's time at which out begins to
// sound; an input stream calls queue.Capture(in, bytes).
class StreamBackend {
 public:
  virtual ~StreamBackend() = default;
  virtual unsigned OpenOutputStream(unsigned deviceId, const WaveFormat& format, PlaybackQueue& queue,
                                    std::unique_ptr<AudioStream>* stream) = 0;
  virtual unsigned OpenInputStream(unsigned deviceId, const WaveFormat& format, CaptureQueue& queue,
                                   std::unique_ptr<AudioStream>* stream) = 0;
};

// Nanoseconds of the steady clock, the time base of output streams.
int64_t SteadyNanos();

// Renders from the headers from the first write after an open or a reset (once
// unpaused) until the next reset; silence otherwise. While paused it holds its
// position.
class StreamWaveOut final : public QueuedWaveOut {
 public:
  explicit StreamWaveOut(StreamBackend& backend) : m_backend(backend) {}
  ~StreamWaveOut() override { Shutdown(); }

 private:
  unsigned OpenDevice(unsigned deviceId, const WaveFormat& format) override;
  void CloseDevice() override;
  unsigned Resume() override;
  void Halt() override;
  int64_t NowNanos() override { return SteadyNanos(); }

  StreamBackend& m_backend;
  std::unique_ptr<AudioStream> m_stream;
};

// Captures into the headers from Start to Stop or Reset; what comes otherwise is
// dropped.
class StreamWaveIn final : public QueuedWaveIn {
 public:
  explicit StreamWaveIn(StreamBackend& backend) : m_backend(backend) {}
  ~StreamWaveIn() override { Shutdown(); }

 private:
  unsigned OpenDevice(unsigned deviceId, const WaveFormat& format) override;
  void CloseDevice() override;
  unsigned Resume() override;
  void Halt() override;

  StreamBackend& m_backend;
  std::unique_ptr<AudioStream> m_stream;
};

}  // namespace platform
