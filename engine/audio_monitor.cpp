#include "engine/audio_monitor.h"

#include "core/errors.h"
#include "engine/playback_meters.h"

namespace {

// Monitor levels are measured against 32700, the clamp of every mix.
constexpr float kMonitorFullScale = 32700.0f;

}  // namespace

AudioMonitor::AudioMonitor() {
  for (size_t b = 0; b < kBuffers; ++b) {
    m_blocks[b].assign(kBufferBytes, 0);
    m_headers[b].data = m_blocks[b].data();
    m_headers[b].bufferLength = kBufferBytes;
  }
}

int AudioMonitor::QueueBuffers(platform::WaveInDevice& device, const char* operation) {
  m_device = &device;
  for (platform::WaveHeader& header : m_headers) {
    const unsigned result = device.Prepare(&header);
    WaveErrorFeedback(result, operation, "waveInPrepareHeader");
    if (result != platform::MMSYSERR_NOERROR) return 0;
  }
  for (platform::WaveHeader& header : m_headers) {
    const unsigned result = device.AddBuffer(&header);
    WaveErrorFeedback(result, operation, "waveInAddBuffer");
    if (result != platform::MMSYSERR_NOERROR) return 0;
  }
  return 1;
}

int AudioMonitor::ReleaseBuffers(platform::WaveInDevice& device, const char* operation, const char* waveFunction) {
  for (platform::WaveHeader& header : m_headers) {
    const unsigned result = device.Unprepare(&header);
    WaveErrorFeedback(result, operation, waveFunction);
    if (result != platform::MMSYSERR_NOERROR) return 0;
  }
  m_device = nullptr;
  return 1;
}

int AudioMonitor::HandleBuffer() {
  if (!m_device) return 1;
  // Only buffers the device has handed back are read: it writes into the others.
  PeakLevels peaks;
  bool any = false;
  for (size_t b = 0; b < kBuffers; ++b) {
    if (!Done(b)) continue;
    peaks = PeakMagnitudes(m_headers[b].data, m_headers[b].bytesRecorded, peaks);
    any = true;
  }
  if (any) {
    m_inputLevelLeft = LevelOfPeak(peaks.left, kMonitorFullScale);
    m_inputLevelRight = LevelOfPeak(peaks.right, kMonitorFullScale);
  }
  for (size_t b = 0; b < kBuffers; ++b) {
    if (!Done(b)) continue;
    platform::WaveHeader& header = m_headers[b];
    unsigned result = m_device->Unprepare(&header);
    const char* call = "waveInUnprepareHeader";
    if (result == platform::MMSYSERR_NOERROR) {
      result = m_device->Prepare(&header);
      call = "waveInPrepareHeader";
    }
    if (result == platform::MMSYSERR_NOERROR) {
      result = m_device->AddBuffer(&header);
      call = "waveInAddBuffer";
    }
    WaveErrorFeedback(result, "AudioMonitor::HandleBuffer", call);
    if (result != platform::MMSYSERR_NOERROR) return 0;
  }
  return 1;
}
