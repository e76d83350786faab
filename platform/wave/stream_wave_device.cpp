#include "platform/wave/stream_wave_device.h"

#include <chrono>

namespace platform {

int64_t SteadyNanos() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

namespace {

// Opens a stream that starts at once, its queue's gate shut.
template <typename Queue, typename OpenStream>
unsigned OpenRunning(Queue& queue, std::unique_ptr<AudioStream>* stream, OpenStream&& open) {
  queue.Gate().Shut();
  if (unsigned result = open()) return result;
  if (unsigned result = (*stream)->Start()) {
    stream->reset();
    return result;
  }
  return MMSYSERR_NOERROR;
}

}  // namespace

unsigned StreamWaveOut::OpenDevice(unsigned deviceId, const WaveFormat& format) {
  return OpenRunning(Queue(), &m_stream,
                     [&] { return m_backend.OpenOutputStream(deviceId, format, Queue(), &m_stream); });
}

void StreamWaveOut::CloseDevice() {
  m_stream->Stop();
  m_stream.reset();
}

unsigned StreamWaveOut::Resume() {
  Queue().Gate().Open();
  return MMSYSERR_NOERROR;
}

void StreamWaveOut::Halt() {
  Queue().Gate().Shut();
}

unsigned StreamWaveIn::OpenDevice(unsigned deviceId, const WaveFormat& format) {
  return OpenRunning(Queue(), &m_stream,
                     [&] { return m_backend.OpenInputStream(deviceId, format, Queue(), &m_stream); });
}

void StreamWaveIn::CloseDevice() {
  m_stream->Stop();
  m_stream.reset();
}

unsigned StreamWaveIn::Resume() {
  Queue().Gate().Open();
  return MMSYSERR_NOERROR;
}

void StreamWaveIn::Halt() {
  Queue().Gate().Shut();
}

}  // namespace platform
