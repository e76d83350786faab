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

// Lets the queue's headers in; MMSYSERR_NODRIVER when the stream stopped by itself
// while it was not needed (the device or the sound server went away). Such a stream is
// not started again: the audio library can wait for ever in starting a stream whose
// server is gone. Closing the device and opening it again tries anew.
template <typename Queue>
unsigned OpenGate(Queue& queue, const AudioStream& stream) {
  if (!stream.IsRunning()) return MMSYSERR_NODRIVER;
  queue.Gate().Open();
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
  return OpenGate(Queue(), *m_stream);
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
  return OpenGate(Queue(), *m_stream);
}

void StreamWaveIn::Halt() {
  Queue().Gate().Shut();
}

}  // namespace platform
