#include "engine/audio_player.h"

#include <algorithm>
#include <cstring>

#include "core/errors.h"
#include "document/mixer_doc.h"
#include "engine/audio_failure_dialog.h"
#include "platform/system.h"
#include "platform/wave/wave_device.h"

namespace {

uint32_t MultimediaTime() {
  platform::Clock* clock = platform::Os().clock;
  return clock ? clock->TimeGetTime() : 0;
}

}  // namespace

AudioPlayerNonThreaded::AudioPlayerNonThreaded() {
  for (size_t h = 0; h < m_headers.size(); ++h) {
    m_blocks[h].assign(kBufferBytes, 0);
    m_headers[h].data = m_blocks[h].data();
    m_headers[h].bufferLength = kBufferBytes;
  }
}

AudioPlayerNonThreaded::~AudioPlayerNonThreaded() {
  if (platform::Timers* timers = platform::Os().timers) timers->KillTimers(this);
  if (m_hWaveOut) {
    m_hWaveOut->Reset();
    m_hWaveOut->Close();
  }
}

uint32_t AudioPlayerNonThreaded::Now() const {
  platform::Clock* clock = platform::Os().clock;
  return clock ? clock->GetTickCount() : 0;
}

void AudioPlayerNonThreaded::DeviceCallback(platform::WaveOutDevice*, unsigned message, void* instance,
                                            platform::WaveHeader*) {
  if (message != platform::MM_WOM_DONE) return;
  auto* self = static_cast<AudioPlayerNonThreaded*>(instance);
  self->m_playedMs.fetch_add(500, std::memory_order_relaxed);
  self->m_lastDoneTime.store(MultimediaTime(), std::memory_order_relaxed);
}

int AudioPlayerNonThreaded::SetupPlayer(PlaybackOwner* owner, unsigned deviceId) {
  m_owner = owner;
  platform::WaveSystem* wave = platform::Os().waveSystem;
  // A configured device that is no longer there gives way to the default device;
  // with no device at all the open fails and says so.
  if (wave && deviceId != platform::WAVE_MAPPER && deviceId >= wave->OutputCount() && wave->OutputCount() > 0) {
    deviceId = platform::WAVE_MAPPER;
  }
  std::unique_ptr<platform::WaveOutDevice> device = wave ? wave->CreateOutput() : nullptr;
  const unsigned result = device ? device->Open(deviceId, platform::kProjectWaveFormat, &DeviceCallback, this)
                                 : platform::MMSYSERR_NODRIVER;
  WaveErrorFeedback(result, "AudioPlayerNonThreaded::SetupPlayer", "waveOutOpen");
  if (result != platform::MMSYSERR_NOERROR) return 0;
  m_hWaveOut = std::move(device);
  m_bufferSize = kBufferBytes;
  m_hWaveOut->Pause();
  return 1;
}

int AudioPlayerNonThreaded::Stop() {
  if (m_state == PlayerPlaying) EndPlay();
  if (!m_hWaveOut) return 1;
  m_hWaveOut->Reset();
  for (platform::WaveHeader& header : m_headers) m_hWaveOut->Unprepare(&header);
  const unsigned result = m_hWaveOut->Close();
  WaveErrorFeedback(result, "AudioPlayerNonThreaded::Stop", "waveOutClose");
  if (result != platform::MMSYSERR_NOERROR) return 0;
  m_hWaveOut.reset();
  return 1;
}

int AudioPlayerNonThreaded::Play(CMixerDoc* doc) {
  // Without a device, or while a playback runs, there is nothing to start.
  if (!doc || !m_hWaveOut || m_state != PlayerIdle) return 0;
  m_doc = doc;
  if (m_owner) m_owner->SetPlayStartEstimate(0);
  m_startPosition = m_readPosition = doc->m_nCurrentPos;
  // A playback started exactly at the highlight's begin plays the highlighted section;
  // any other start plays to the end of the project.
  const TrackPositions& pos = doc->m_mirror;
  const bool playsSection = pos.HasHighlight() && doc->m_nCurrentPos == pos.m_nHighlightBegin && !PlaysForTake();
  m_endPosition = playsSection ? pos.m_nHighlightEnd : doc->m_nProjectLength;

  m_endReached = false;
  m_playedMs.store(0, std::memory_order_relaxed);
  m_delays.Start(Now());
  m_delayReported = false;
  m_buffersQueuedAtStart = 0;
  m_tailWaitTicks = 0;
  m_lastDoneTime.store(MultimediaTime(), std::memory_order_relaxed);
  for (size_t h = 0; h < m_headers.size(); ++h) {
    m_hWaveOut->Unprepare(&m_headers[h]);
    std::fill(m_blocks[h].begin(), m_blocks[h].end(), 0);
  }
  m_hWaveOut->Pause();
  for (int h = 0; h < 2; ++h) {
    m_headers[h].bufferLength = kBufferBytes;
    if (RefillsDue()) {
      FillBuffer(h);
      m_hWaveOut->Prepare(&m_headers[h]);
      m_hWaveOut->Write(&m_headers[h]);
      ++m_buffersQueuedAtStart;
    }
  }
  // A device that went away while it was not playing cannot start: that is said, and
  // nothing plays, rather than a playback that never moves.
  const unsigned restarted = m_hWaveOut->Restart();
  if (restarted != platform::MMSYSERR_NOERROR) {
    WaveErrorFeedback(restarted, "AudioPlayerNonThreaded::Play", "waveOutRestart");
    m_hWaveOut->Reset();
    return 0;
  }

  m_meters->AttachPlayer(*this);
  if (platform::Timers* timers = platform::Os().timers) timers->SetTimer(this, kServiceTimer, kServicePeriodMs);
  if (m_view) m_view->StartPlayTimer();
  m_startTick = Now();
  m_isPlaying = true;
  m_state = PlayerPlaying;
  if (m_view) m_view->StartPlayLine(m_startPosition, m_endPosition);
  m_startTickSampleCount = 0;
  return 1;
}

bool AudioPlayerNonThreaded::FillBuffer(int h) {
  uint32_t length = m_bufferSize;
  // A take's playback goes on past the end of the project, with silence.
  if (!PlaysForTake() && m_readPosition + uint64_t{length} > m_endPosition) length = m_endPosition - m_readPosition;
  if (length >= 1 && length <= kBufferBytes) {
    if (m_state == PlayerStopping) {
      length = 0;
    } else {
      if (!CheckForDelays()) return false;
      if (m_doc) m_doc->ReadMix(m_headers[h].data, length, m_readPosition);
      m_delays.Filled(Now());
      m_readPosition += length;
    }
  }
  m_headers[h].bufferLength = length;
  return true;
}

bool AudioPlayerNonThreaded::PlaysForTake() const {
  return m_doc && m_doc->m_takeMix.recording;
}

bool AudioPlayerNonThreaded::RefillsDue() const {
  return m_readPosition < m_endPosition || PlaysForTake();
}

bool AudioPlayerNonThreaded::CheckForDelays() {
  // The last buffers of a playback are not refilled: nothing can be late then.
  const char* cause = RefillsDue() ? m_delays.Check(Now()) : nullptr;
  if (!cause) return true;
  if (!m_delayReported) {
    m_delayReported = true;
    if (m_owner) {
      m_owner->StopPlayback();
    } else {
      EndPlay();
    }
    CAudioIOFailureDialog::Report(CAudioIOFailureDialog::Kind::Playback, cause);
  }
  return false;
}

bool AudioPlayerNonThreaded::SampleStartTick(uint32_t t0) {
  if (m_state != PlayerPlaying || !m_hWaveOut) return false;
  uint32_t bytes = 0;
  const unsigned result = m_hWaveOut->GetPosition(&bytes);
  const uint32_t count = m_startTickSampleCount;
  AddStartTickSample(t0, Now(), result, bytes, m_startTickSamples.data(), &m_startTickSampleCount);
  return m_startTickSampleCount > count;
}

void AudioPlayerNonThreaded::ServiceBuffers() {
  if (m_state != PlayerPlaying || !m_hWaveOut) return;
  if (!CheckForDelays()) return;
  // With nothing queued at the start no buffer will come back: playback is over.
  if (m_buffersQueuedAtStart == 0) m_endReached = true;
  if (!m_endReached && !HeaderDone(0) && !HeaderDone(1)) return;
  if (!m_endReached) {
    if (!PlaysForTake()) SampleStartTick(Now());
    if (RefillsDue()) {
      for (int h = 0; h < 2; ++h) {
        if (!HeaderDone(h)) continue;
        m_hWaveOut->Unprepare(&m_headers[h]);
        // A refill that found playback too late has stopped it: nothing is queued.
        if (!FillBuffer(h) || m_state != PlayerPlaying) return;
        m_hWaveOut->Prepare(&m_headers[h]);
        m_hWaveOut->Write(&m_headers[h]);
      }
      m_hWaveOut->Restart();
    } else {
      m_endReached = true;
    }
    if (!m_endReached) return;
  }
  bool allBack = true;
  for (uint32_t h = 0; h < m_buffersQueuedAtStart && h < 2; ++h) allBack = allBack && HeaderDone(static_cast<int>(h));
  if (!allBack) return;
  // A buffer comes back once the device has taken it, which can be a little before
  // it has sounded; the stop resets the device, so it waits for the last byte to be
  // heard (for a while at most, should the position stand still).
  uint32_t heard = 0;
  if (m_hWaveOut->GetPosition(&heard) == platform::MMSYSERR_NOERROR && heard < m_readPosition - m_startPosition &&
      m_tailWaitTicks < kTailWaitLimit) {
    ++m_tailWaitTicks;
    return;
  }
  if (m_owner) {
    m_owner->StopPlayback();
  } else {
    EndPlay();
  }
}

int AudioPlayerNonThreaded::EndPlay() {
  m_state = PlayerStopping;
  m_isPlaying = false;
  if (m_hWaveOut) m_hWaveOut->Reset();
  if (platform::Timers* timers = platform::Os().timers) timers->KillTimer(this, kServiceTimer);
  m_meters->DetachPlayer();
  if (m_view) m_view->StopPlayLine();
  for (int h = 0; h < 2; ++h) {
    if (m_hWaveOut && HeaderDone(h)) m_hWaveOut->Unprepare(&m_headers[h]);
  }
  if (m_owner) {
    uint32_t estimate =
        m_startTickSampleCount > 0 ? EstimateStartTick(m_startTickSamples.data(), m_startTickSampleCount) : 0;
    m_owner->SetPlayStartEstimate(estimate != 0 ? estimate : StartTickOf(m_startTick));
  }
  m_startTickSamples.fill(0);
  m_state = PlayerIdle;
  return 1;
}

void AudioPlayerNonThreaded::GetBufferInfo(int index, const char** data, uint32_t* length, uint16_t* bitsPerSample,
                                           uint16_t* channels) const {
  const bool valid = m_isPlaying && (index == 0 || index == 1);
  if (data) *data = valid ? m_headers[static_cast<size_t>(index)].data : nullptr;
  if (length) *length = valid ? m_headers[static_cast<size_t>(index)].bufferLength : 0;
  if (bitsPerSample) *bitsPerSample = valid ? 16 : 0;
  if (channels) *channels = valid ? 2 : 0;
}

void AudioPlayerNonThreaded::OnTimer(unsigned int id) {
  if (id != kServiceTimer) return;
  if (m_state == PlayerPlaying) ServiceBuffers();
  if (m_state == PlayerPlaying) {
    m_meters->UpdateMeters();
  } else if (platform::Timers* timers = platform::Os().timers) {
    timers->KillTimer(this, kServiceTimer);
  }
}
