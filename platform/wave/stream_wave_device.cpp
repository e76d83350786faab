#include "platform/wave/stream_wave_device.h"

#include <chrono>

namespace platform {

int64_t SteadyNanos() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

unsigned StreamWaveOut::OpenDevice(unsigned deviceId, const WaveFormat& format) {
  m_running = false;
  return m_backend.OpenOutputStream(deviceId, format, Queue(), &m_stream);
}

void StreamWaveOut::CloseDevice() {
  m_stream.reset();
}

unsigned StreamWaveOut::Resume() {
  if (m_running) return MMSYSERR_NOERROR;
  if (unsigned result = m_stream->Start()) return result;
  m_running = true;
  return MMSYSERR_NOERROR;
}

void StreamWaveOut::Halt() {
  if (!m_running) return;
  m_stream->Stop();
  m_running = false;
}

unsigned StreamWaveIn::OpenDevice(unsigned deviceId, const WaveFormat& format) {
  return m_backend.OpenInputStream(deviceId, format, Queue(), &m_stream);
}

void StreamWaveIn::CloseDevice() {
  m_stream.reset();
}

unsigned StreamWaveIn::Resume() {
  return m_stream->Start();
}

void StreamWaveIn::Halt() {
  m_stream->Stop();
}

}  // namespace platform
