#include "platform/wave/portaudio_wave_system.h"

#include <portaudio.h>

#include <algorithm>

#include "platform/portaudio_wave_devices.h"

namespace platform {

namespace {

constexpr double kDeviceLatencySeconds = 0.15;

unsigned ResultOf(PaError error) {
  switch (error) {
    case paNoError: return MMSYSERR_NOERROR;
    case paInsufficientMemory: return MMSYSERR_NOMEM;
    case paInvalidChannelCount:
    case paInvalidSampleRate:
    case paSampleFormatNotSupported:
    case paBadIODeviceCombination: return WAVERR_BADFORMAT;
    case paInvalidDevice: return MMSYSERR_BADDEVICEID;
    case paDeviceUnavailable: return MMSYSERR_ALLOCATED;
    // Everything else means the way to the sound system is not there (a server that
    // refuses, a host layer that failed).
    default: return MMSYSERR_NODRIVER;
  }
}

class PortAudioStream : public AudioStream {
 public:
  ~PortAudioStream() override {
    if (m_stream) Pa_CloseStream(m_stream);
  }
  unsigned Start() override { return ResultOf(Pa_StartStream(m_stream)); }
  // Aborting returns once the callback has returned for the last time.
  void Stop() override { Pa_AbortStream(m_stream); }
  bool IsRunning() const override { return Pa_IsStreamActive(m_stream) == 1; }

  PaStream* m_stream = nullptr;
  uint32_t m_blockAlign = 4;
};

class PortAudioOutputStream final : public PortAudioStream {
 public:
  explicit PortAudioOutputStream(PlaybackQueue& queue) : m_queue(queue) {}

  static int Callback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo* time,
                      PaStreamCallbackFlags, void* user) {
    auto* self = static_cast<PortAudioOutputStream*>(user);
    int64_t now = SteadyNanos();
    // How far ahead of now this buffer sounds: the library's own figure when it gives
    // one, else the stream's latency.
    int64_t ahead = self->m_latencyNanos;
    if (time && time->outputBufferDacTime > 0) {
      double seconds = time->outputBufferDacTime - time->currentTime;
      if (seconds >= 0 && seconds < 2) ahead = static_cast<int64_t>(seconds * 1e9);
    }
    self->m_queue.Render(static_cast<char*>(output), static_cast<uint32_t>(frames * self->m_blockAlign), now + ahead);
    return paContinue;
  }

  PlaybackQueue& m_queue;
  int64_t m_latencyNanos = 0;
};

class PortAudioInputStream final : public PortAudioStream {
 public:
  explicit PortAudioInputStream(CaptureQueue& queue) : m_queue(queue) {}

  static int Callback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo* time,
                      PaStreamCallbackFlags, void* user) {
    auto* self = static_cast<PortAudioInputStream*>(user);
    const int64_t now = SteadyNanos();
    // How long ago the first of these frames was at the converter: the library's own
    // figure when it gives one, else the stream's latency and the frames' own length.
    // The library's figure is taken as it is, even when it is shorter than the frames
    // last: a sound server's monitor of its own output hands the audio on before the
    // output counts it as sounded, and its library dates the capture by the output.
    int64_t ago = self->m_latencyNanos + static_cast<int64_t>(frames * 1000000000ull / self->m_frameRate);
    if (time && time->inputBufferAdcTime > 0) {
      double seconds = time->currentTime - time->inputBufferAdcTime;
      if (seconds >= 0 && seconds < 2) ago = static_cast<int64_t>(seconds * 1e9);
    }
    self->m_queue.Capture(static_cast<const char*>(input), static_cast<uint32_t>(frames * self->m_blockAlign),
                          now - ago);
    return paContinue;
  }

  CaptureQueue& m_queue;
  int64_t m_latencyNanos = 0;
  uint32_t m_frameRate = 44100;
};

PaStreamParameters StreamParameters(int device, const WaveFormat& format, bool output) {
  PaStreamParameters parameters{};
  parameters.device = device;
  parameters.channelCount = format.channels;
  parameters.sampleFormat = format.bitsPerSample == 8 ? paUInt8 : paInt16;
  const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
  // The engines keep a second of audio queued, and the position allows for latency, so
  // a deep device buffer costs nothing but a later first sound. The library's own
  // latencies (some 35 ms on the route to PulseAudio) underrun when the machine is busy.
  double latency = info ? (output ? info->defaultHighOutputLatency : info->defaultHighInputLatency) : 0;
  parameters.suggestedLatency = std::max(latency, kDeviceLatencySeconds);
  return parameters;
}

// The capabilities of a library device: its name and its output or input channels.
template <typename Caps>
unsigned ReadCaps(int device, int PaDeviceInfo::*channels, Caps* caps) {
  const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
  if (!info) return MMSYSERR_NODRIVER;
  caps->productName = info->name ? info->name : "";
  caps->channels = static_cast<uint16_t>(std::min(info->*channels, 0xFFFF));
  return MMSYSERR_NOERROR;
}

}  // namespace

PortAudioWaveSystem::PortAudioWaveSystem() {
  m_started = StartPortAudio();
  if (!m_started) return;
  int count = Pa_GetDeviceCount();
  PaDeviceIndex defaultOutput = Pa_GetDefaultOutputDevice();
  PaDeviceIndex defaultInput = Pa_GetDefaultInputDevice();
  for (int index = 0; index < count; ++index) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
    if (!info) continue;
    if (info->maxOutputChannels > 0) {
      if (index == defaultOutput) m_defaultOutput = static_cast<int>(m_outputs.size());
      m_outputs.push_back(index);
    }
    if (info->maxInputChannels > 0) {
      if (index == defaultInput) m_defaultInput = static_cast<int>(m_inputs.size());
      m_inputs.push_back(index);
    }
  }
}

int PortAudioWaveSystem::LibraryDevice(const std::vector<int>& devices, int defaultIndex, unsigned deviceId,
                                       unsigned* result) const {
  *result = MMSYSERR_NOERROR;
  if (!m_started) {
    *result = MMSYSERR_NODRIVER;
    return -1;
  }
  if (deviceId == WAVE_MAPPER) {
    if (defaultIndex < 0) *result = MMSYSERR_NODRIVER;
    return defaultIndex < 0 ? -1 : devices[defaultIndex];
  }
  if (deviceId >= devices.size()) {
    *result = MMSYSERR_BADDEVICEID;
    return -1;
  }
  return devices[deviceId];
}

unsigned PortAudioWaveSystem::GetOutputCaps(unsigned deviceId, WaveOutCaps* caps) {
  if (!caps) return MMSYSERR_INVALPARAM;
  unsigned result;
  int device = LibraryDevice(m_outputs, m_defaultOutput, deviceId, &result);
  return device < 0 ? result : ReadCaps(device, &PaDeviceInfo::maxOutputChannels, caps);
}

unsigned PortAudioWaveSystem::GetInputCaps(unsigned deviceId, WaveInCaps* caps) {
  if (!caps) return MMSYSERR_INVALPARAM;
  unsigned result;
  int device = LibraryDevice(m_inputs, m_defaultInput, deviceId, &result);
  return device < 0 ? result : ReadCaps(device, &PaDeviceInfo::maxInputChannels, caps);
}

std::unique_ptr<WaveOutDevice> PortAudioWaveSystem::CreateOutput() {
  StreamBackend& backend = *this;
  return std::make_unique<StreamWaveOut>(backend);
}

std::unique_ptr<WaveInDevice> PortAudioWaveSystem::CreateInput() {
  StreamBackend& backend = *this;
  return std::make_unique<StreamWaveIn>(backend);
}

unsigned PortAudioWaveSystem::OpenOutputStream(unsigned deviceId, const WaveFormat& format, PlaybackQueue& queue,
                                               std::unique_ptr<AudioStream>* stream) {
  unsigned result;
  int device = LibraryDevice(m_outputs, m_defaultOutput, deviceId, &result);
  if (device < 0) return result;
  auto opened = std::make_unique<PortAudioOutputStream>(queue);
  opened->m_blockAlign = format.blockAlign;
  PaStreamParameters parameters = StreamParameters(device, format, true);
  PaError error = Pa_OpenStream(&opened->m_stream, nullptr, &parameters, format.samplesPerSec,
                                paFramesPerBufferUnspecified, paNoFlag, &PortAudioOutputStream::Callback, opened.get());
  if (error != paNoError) {
    opened->m_stream = nullptr;
    return ResultOf(error);
  }
  if (const PaStreamInfo* info = Pa_GetStreamInfo(opened->m_stream))
    opened->m_latencyNanos = static_cast<int64_t>(info->outputLatency * 1e9);
  *stream = std::move(opened);
  return MMSYSERR_NOERROR;
}

unsigned PortAudioWaveSystem::OpenInputStream(unsigned deviceId, const WaveFormat& format, CaptureQueue& queue,
                                              std::unique_ptr<AudioStream>* stream) {
  unsigned result;
  int device = LibraryDevice(m_inputs, m_defaultInput, deviceId, &result);
  if (device < 0) return result;
  auto opened = std::make_unique<PortAudioInputStream>(queue);
  opened->m_blockAlign = format.blockAlign;
  opened->m_frameRate = format.samplesPerSec ? format.samplesPerSec : 44100;
  PaStreamParameters parameters = StreamParameters(device, format, false);
  PaError error = Pa_OpenStream(&opened->m_stream, &parameters, nullptr, format.samplesPerSec,
                                paFramesPerBufferUnspecified, paNoFlag, &PortAudioInputStream::Callback, opened.get());
  if (error != paNoError) {
    opened->m_stream = nullptr;
    return ResultOf(error);
  }
  if (const PaStreamInfo* info = Pa_GetStreamInfo(opened->m_stream))
    opened->m_latencyNanos = static_cast<int64_t>(info->inputLatency * 1e9);
  *stream = std::move(opened);
  return MMSYSERR_NOERROR;
}

}  // namespace platform
