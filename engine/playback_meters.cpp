#include "engine/playback_meters.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/audio_player.h"
#include "platform/system.h"

int LevelOfPeak(int magnitude, float fullScale) {
  return std::clamp(static_cast<int>(static_cast<float>(magnitude) / fullScale * 99.0f), 0, 99);
}

PeakLevels PeakMagnitudes(const char* data, uint32_t length, PeakLevels peaks) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(data);
  for (uint32_t at = 0; at + 4 <= length; at += 4) {
    auto left = static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
    auto right = static_cast<int16_t>(bytes[at + 2] | bytes[at + 3] << 8);
    peaks.left = std::max(peaks.left, std::abs(static_cast<int>(left)));
    peaks.right = std::max(peaks.right, std::abs(static_cast<int>(right)));
  }
  return peaks;
}

PeakLevels MeasureLevels(const char* data, uint32_t length, uint16_t bitsPerSample, uint16_t channels) {
  PeakLevels levels;
  if (!data) return levels;
  const auto* bytes = reinterpret_cast<const uint8_t*>(data);
  int peaks[2] = {0, 0};
  if (bitsPerSample == 16) {
    const PeakLevels peak = PeakMagnitudes(data, length);
    levels = {LevelOfPeak(peak.left, 32767.0f), LevelOfPeak(peak.right, 32767.0f)};
  } else if (bitsPerSample == 8) {
    for (uint32_t at = 0; at + 2 <= length; at += 2) {
      for (int c = 0; c < 2; ++c) peaks[c] = std::max(peaks[c], std::abs(bytes[at + c] - 128));
    }
    levels = {LevelOfPeak(peaks[0], 128.0f), LevelOfPeak(peaks[1], 128.0f)};
  }
  if (channels == 1) levels.left = levels.right = std::max(levels.left, levels.right);
  return levels;
}

void CPlaybackMeters::AttachPlayer(AudioPlayerNonThreaded& player) {
  m_playbackMeter = &player;
  // Far from any real count, so that the first update fetches the sounding buffer.
  m_lastPlayedMs = 99000;
  m_bMetersActive = true;
}

void CPlaybackMeters::DetachPlayer() {
  m_bMetersActive = false;
  m_data = nullptr;
  SetMeters(0, 0);
}

void CPlaybackMeters::UpdateMeters() {
  if (!m_bMetersActive || !m_playbackMeter) {
    m_data = nullptr;
    return;
  }
  platform::Clock* clock = platform::Os().clock;
  const uint32_t now = clock ? clock->TimeGetTime() : 0;
  // The audio sounded so far: the finished buffers plus the time since the last one.
  const uint32_t playedMs = now + m_playbackMeter->PlayedMs() - m_playbackMeter->LastDoneTime();
  const bool playing = m_playbackMeter->IsPlaying();
  if (playedMs / 500 != m_lastPlayedMs / 500 && playing) {
    m_playbackMeter->GetBufferInfo(static_cast<int>((playedMs / 500) % 2), &m_data, &m_length, &m_bitsPerSample,
                                   &m_channels);
  }
  m_lastPlayedMs = playedMs;
  if (m_data && playing) ShowPlaybackLevels(m_data, m_length, m_bitsPerSample, m_channels);
}

void CPlaybackMeters::ShowPlaybackLevels(const char* data, uint32_t length, uint16_t bitsPerSample, uint16_t channels) {
  const double fraction = std::min(static_cast<double>(m_lastPlayedMs % 500) / 500.0, 0.95);
  uint32_t start = static_cast<uint32_t>(length * fraction);
  const uint32_t end = std::min(start + static_cast<uint32_t>(length * 0.05), length) & ~3u;
  if (!m_bMetersActive) return;
  start &= ~3u;
  if (end > start) ShowLevels(data + start, end - start, bitsPerSample, channels);
}

void CPlaybackMeters::ShowLevels(const char* data, uint32_t length, uint16_t bitsPerSample, uint16_t channels) {
  const PeakLevels levels = MeasureLevels(data, length, bitsPerSample, channels);
  SetMeters(kMeterResponse[static_cast<size_t>(levels.left)], kMeterResponse[static_cast<size_t>(levels.right)]);
}

void CPlaybackMeters::SetMeters(int left, int right) {
  m_left = left;
  m_right = right;
  if (m_sink) m_sink(left, right);
}
