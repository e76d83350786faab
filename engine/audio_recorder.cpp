#include "engine/audio_recorder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/errors.h"
#include "engine/audio_failure_dialog.h"
#include "engine/playback_meters.h"
#include "platform/system.h"

AudioRecorderNonThreaded::AudioRecorderNonThreaded() {
  for (size_t h = 0; h < m_headers.size(); ++h) {
    m_blocks[h].assign(kBufferBytes, 0);
    m_headers[h].data = m_blocks[h].data();
    m_headers[h].bufferLength = kBufferBytes;
  }
}

AudioRecorderNonThreaded::~AudioRecorderNonThreaded() {
  if (m_hWaveIn) {
    m_hWaveIn->Reset();
    m_hWaveIn->Close();
  }
}

uint32_t AudioRecorderNonThreaded::Now() const {
  platform::Clock* clock = platform::Os().clock;
  return clock ? clock->GetTickCount() : 0;
}

int AudioRecorderNonThreaded::SetupRecorder(unsigned deviceId) {
  if (m_hWaveIn && !ShutdownRecorder()) return 0;
  platform::WaveSystem* wave = platform::Os().waveSystem;
  if (wave && deviceId != platform::WAVE_MAPPER && deviceId >= wave->InputCount() && wave->InputCount() > 0) {
    deviceId = platform::WAVE_MAPPER;
  }
  std::unique_ptr<platform::WaveInDevice> device = wave ? wave->CreateInput() : nullptr;
  // The buffers' done flags are all the engine needs from the device: no callback.
  const unsigned result =
      device ? device->Open(deviceId, platform::kProjectWaveFormat, nullptr, nullptr) : platform::MMSYSERR_NODRIVER;
  WaveErrorFeedback(result, "AudioRecorderNonThreaded::SetupRecorder", "waveInOpen");
  if (result != platform::MMSYSERR_NOERROR) return 0;
  m_hWaveIn = std::move(device);
  m_state = RecorderIdle;
  return 1;
}

int AudioRecorderNonThreaded::ShutdownRecorder() {
  if (!m_hWaveIn) return 1;
  if (m_state == RecorderMonitoring) StopMonitoring();
  if (m_state == RecorderRecording) StopRecording();
  m_hWaveIn->Reset();
  constexpr const char* kOperation = "AudioRecorderNonThreaded::ShutdownRecorder";
  for (platform::WaveHeader& header : m_headers) {
    const unsigned result = m_hWaveIn->Unprepare(&header);
    WaveErrorFeedback(result, kOperation, "waveInUnprepareHeader - Recorder");
    if (result != platform::MMSYSERR_NOERROR) return 0;
  }
  if (!m_monitor.ReleaseBuffers(*m_hWaveIn, kOperation, "waveInUnprepareHeader - Monitors")) return 0;
  const unsigned result = m_hWaveIn->Close();
  WaveErrorFeedback(result, kOperation, "waveInClose");
  if (result != platform::MMSYSERR_NOERROR) return 0;
  m_hWaveIn.reset();
  return 1;
}

int AudioRecorderNonThreaded::StartRecording(PCMFile* file, RecordingSessionObserver* session) {
  constexpr const char* kOperation = "AudioRecorderNonThreaded::StartRecording";
  if (!file || !file->fp) {
    ReportError(kOperation, "The recorded audio file is not open.");
    return 0;
  }
  if (!m_hWaveIn) {
    WaveErrorFeedback(platform::MMSYSERR_INVALHANDLE, kOperation, "waveInStart");
    return 0;
  }
  if (m_state != RecorderIdle) return 0;
  m_file = file;
  m_session = session;
  m_stopRequested = false;
  m_writeFailed = false;
  m_bytesRecorded = 0;
  m_delayReported = false;
  m_startTickSampleCount = 0;
  m_nextHeader = 0;
  // Each write goes straight to the file, so that a full disk shows at the write that
  // met it and not at some later flush.
  std::setvbuf(file->fp, nullptr, _IONBF, 0);
  // The position counts from the take's first byte: the level meter and the start
  // estimates depend on it.
  m_hWaveIn->Reset();
  // The buffers go in before the device starts, so that it captures from its first
  // frame.
  for (platform::WaveHeader& header : m_headers) {
    const unsigned result = m_hWaveIn->Prepare(&header);
    WaveErrorFeedback(result, kOperation, "waveInPrepareHeader");
    if (result != platform::MMSYSERR_NOERROR) return 0;
  }
  for (platform::WaveHeader& header : m_headers) {
    const unsigned result = m_hWaveIn->AddBuffer(&header);
    WaveErrorFeedback(result, kOperation, "waveInAddBuffer");
    if (result != platform::MMSYSERR_NOERROR) {
      m_hWaveIn->Reset();
      return 0;
    }
  }
  if (!m_writer.Start(file->fp)) {
    ReportErrorCode(kOperation, "No thread could be started to write the recorded audio to " + file->szPath, errno);
    m_hWaveIn->Reset();
    return 0;
  }
  const unsigned result = m_hWaveIn->Start();
  WaveErrorFeedback(result, kOperation, "waveInStart");
  if (result != platform::MMSYSERR_NOERROR) {
    m_writer.Finish();
    m_hWaveIn->Reset();
    return 0;
  }
  m_state = RecorderRecording;
  m_startTick = Now();
  m_delays.Start(m_startTick);
  return 1;
}

void AudioRecorderNonThreaded::ServiceRecording() {
  if (m_stopRequested || m_state != RecorderRecording) return;
  if (m_writer.Error() != 0) {
    ReportWriteFailure();
    return;
  }
  if (!CheckForDelays()) return;
  if (!HeaderDone(0) && !HeaderDone(1)) return;
  HandleBuffer();
}

bool AudioRecorderNonThreaded::SampleStartTick(uint32_t t0) {
  if (m_stopRequested || m_state != RecorderRecording) return false;
  // What has passed the converter, not what has reached the buffers: the input
  // arrives a latency late.
  uint32_t bytes = 0;
  const unsigned result = m_hWaveIn->GetConverterPosition(&bytes);
  const uint32_t count = m_startTickSampleCount;
  AddStartTickSample(t0, Now(), result, bytes, m_startTickSamples.data(), &m_startTickSampleCount);
  return m_startTickSampleCount > count;
}

void AudioRecorderNonThreaded::HandleBuffer() {
  const int h = m_nextHeader;
  platform::WaveHeader& header = m_headers[static_cast<size_t>(h)];
  if (!HeaderDone(h) || m_stopRequested) return;
  constexpr const char* kOperation = "AudioRecorderNonThreaded::HandleBuffer";
  unsigned result = m_hWaveIn->Unprepare(&header);
  WaveErrorFeedback(result, kOperation, "waveInUnprepareHeader");
  if (result != platform::MMSYSERR_NOERROR) return;
  // The delay watch times the hand-ons, not the disk: a slow write that the writer's
  // pool absorbs leaves this thread free and counts nothing. A wait for a free slot
  // (the disk stalled for longer than the pool holds) comes before the check, so that
  // the time this thread was held up counts as a stall of any other cause would.
  if (!m_writer.WaitForSlot()) {
    ReportWriteFailure();
    return;
  }
  if (!CheckForDelays()) return;
  if (!QueueBuffer(h)) {
    ReportWriteFailure();
    return;
  }
  std::fill(m_blocks[static_cast<size_t>(h)].begin(), m_blocks[static_cast<size_t>(h)].end(), 0);
  result = m_hWaveIn->Prepare(&header);
  WaveErrorFeedback(result, kOperation, "waveInPrepareHeader");
  if (result != platform::MMSYSERR_NOERROR) return;
  result = m_hWaveIn->AddBuffer(&header);
  WaveErrorFeedback(result, kOperation, "waveInAddBuffer");
  if (result != platform::MMSYSERR_NOERROR) return;
  m_nextHeader ^= 1;
}

bool AudioRecorderNonThreaded::QueueBuffer(int h) {
  const platform::WaveHeader& header = m_headers[static_cast<size_t>(h)];
  const uint32_t bytes = std::min(header.bytesRecorded, kBufferBytes);
  if (bytes > 0 && !m_writeFailed && !m_writer.Append(header.data, bytes)) return false;
  m_delays.Filled(Now());
  m_bytesRecorded += bytes;
  return true;
}

void AudioRecorderNonThreaded::ReportWriteFailure() {
  const int code = m_writer.Error();
  ReportErrorCode("AudioRecorderNonThreaded::HandleBuffer", "Failed to write recorded audio to file: " + m_file->szPath,
                  code != 0 ? code : EIO);
  WriteFailure();
}

void AudioRecorderNonThreaded::WriteFailure() {
  m_writeFailed = true;
  // A failure that StopRecording finds is reported after the take has stopped.
  if (m_state == RecorderRecording && !m_stopRequested) StopRecording();
  if (m_session) m_session->RecordingWriteFailed();
}

bool AudioRecorderNonThreaded::CheckForDelays() {
  const char* cause = m_delays.Check(Now());
  if (!cause) return true;
  if (!m_delayReported) {
    m_delayReported = true;
    if (m_session) {
      m_session->CancelRecording();
    } else {
      StopRecording();
    }
    CAudioIOFailureDialog::Report(CAudioIOFailureDialog::Kind::Record, cause);
  }
  return false;
}

int AudioRecorderNonThreaded::StopRecording() {
  m_stopRequested = true;
  if (!m_hWaveIn || m_state != RecorderRecording) return 1;
  int ok = 1;
  constexpr const char* kOperation = "AudioRecorderNonThreaded::StopRecording";
  // The stop hands back the buffer being filled with what it holds; it and any full
  // buffer not yet serviced are written, in the order the device filled them.
  unsigned result = m_hWaveIn->Stop();
  WaveErrorFeedback(result, kOperation, "waveInStop");
  if (result != platform::MMSYSERR_NOERROR) ok = 0;
  for (int n = 0; n < 2 && !m_writeFailed && HeaderDone(m_nextHeader); ++n) {
    if (!QueueBuffer(m_nextHeader)) break;
    // A buffer handed back done leaves the device's queue: it is not done again.
    m_headers[static_cast<size_t>(m_nextHeader)].flags.fetch_and(~platform::WHDR_DONE);
    m_nextHeader ^= 1;
  }
  // The take is whole once the writer has put everything handed to it in the file.
  m_writer.Finish();
  m_hWaveIn->Reset();
  for (platform::WaveHeader& header : m_headers) {
    result = m_hWaveIn->Unprepare(&header);
    WaveErrorFeedback(result, kOperation, "waveInUnprepareHeader");
    if (result != platform::MMSYSERR_NOERROR) ok = 0;
  }
  m_state = RecorderIdle;
  // Reported once the take has ended, so that a session which stops it on hearing of
  // the failure finds it stopped.
  if (!m_writeFailed && m_writer.Error() != 0) {
    ReportWriteFailure();
    ok = 0;
  }
  return ok;
}

int AudioRecorderNonThreaded::FinalizeRecordSession() {
  const uint32_t estimate =
      m_startTickSampleCount > 0 ? EstimateStartTick(m_startTickSamples.data(), m_startTickSampleCount) : 0;
  m_recordStartEstimate = estimate != 0 ? estimate : StartTickOf(m_startTick);
  m_startTickSamples.fill(0);
  m_startTickSampleCount = 0;
  PCMFile* file = m_file;
  m_file = nullptr;
  m_session = nullptr;
  if (!file || !file->fp) return m_writeFailed ? 0 : 1;
  // The take's length is what the file really holds, in whole frames.
  struct stat info {};
  const int fd = fileno(file->fp);
  const off_t size = fstat(fd, &info) == 0 ? info.st_size : 0;
  m_recordedLength = static_cast<uint32_t>(std::min<off_t>(size, UINT32_MAX)) & ~3u;
  file->nSize = m_recordedLength;
  // The take must be on the disk before it counts as recorded; a device file cannot be
  // synchronised and needs not be.
  bool closed = !(fsync(fd) != 0 && errno != EINVAL && errno != EROFS);
  int code = closed ? 0 : errno;
  if (!file->Close() && closed) {
    closed = false;
    code = errno;
  }
  if (!closed) {
    ReportErrorCode("AudioRecorderNonThreaded::FinalizeRecordSession", "Failed to close recorded file: " + file->szPath,
                    code);
    return 0;
  }
  return m_writeFailed ? 0 : 1;
}

void AudioRecorderNonThreaded::GetRecordLevels(int* left, int* right) {
  if (!m_hWaveIn || m_state != RecorderRecording) return;
  // The device's position tells how much it has captured; the bytes before it are
  // complete and no longer written by the device.
  uint32_t position = 0;
  if (m_hWaveIn->GetPosition(&position) != platform::MMSYSERR_NOERROR) return;
  uint32_t into = position - m_bytesRecorded;
  int h = m_nextHeader;
  if (into >= kBufferBytes) {
    // The next buffer is full and waits for the service: the other one is filling.
    into -= kBufferBytes;
    h ^= 1;
    if (into >= kBufferBytes) return;
  }
  into &= ~3u;
  if (into < kLevelWindowBytes) return;
  const PeakLevels peaks = PeakMagnitudes(m_headers[static_cast<size_t>(h)].data + (into - kLevelWindowBytes),
                                          kLevelWindowBytes);
  if (left) *left = LevelOfPeak(peaks.left, 32767.0f);
  if (right) *right = LevelOfPeak(peaks.right, 32767.0f);
}

int AudioRecorderNonThreaded::StartMonitoring() {
  constexpr const char* kOperation = "AudioRecorderNonThreaded::StartMonitoring";
  if (!m_hWaveIn) {
    WaveErrorFeedback(platform::MMSYSERR_INVALHANDLE, kOperation, "waveInStart");
    return 0;
  }
  if (m_state != RecorderIdle) return 0;
  m_startTickSampleCount = 0;
  m_stopRequested = false;
  m_bytesRecorded = 0;
  if (!m_monitor.QueueBuffers(*m_hWaveIn, kOperation)) {
    m_hWaveIn->Reset();
    return 0;
  }
  const unsigned result = m_hWaveIn->Start();
  WaveErrorFeedback(result, kOperation, "waveInStart");
  if (result != platform::MMSYSERR_NOERROR) {
    m_hWaveIn->Reset();
    return 0;
  }
  m_state = RecorderMonitoring;
  m_nextHeader = 0;
  if (m_view) m_view->StartPlayTimer();
  return 1;
}

int AudioRecorderNonThreaded::StopMonitoring() {
  if (!m_hWaveIn || m_state != RecorderMonitoring) return 1;
  constexpr const char* kOperation = "AudioRecorderNonThreaded::StopMonitoring";
  m_hWaveIn->Reset();
  const unsigned result = m_hWaveIn->Stop();
  WaveErrorFeedback(result, kOperation, "waveInStop");
  m_state = RecorderIdle;
  if (!m_monitor.ReleaseBuffers(*m_hWaveIn, kOperation, "waveInUnprepareHeader")) return 0;
  m_hWaveIn->Reset();
  return result == platform::MMSYSERR_NOERROR ? 1 : 0;
}
