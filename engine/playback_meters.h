#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "engine/meter_response.h"
#include "engine/playback_observers.h"


// The peak levels (0 to 99) of PCM data: over each frame, the largest magnitude of the
// left and of the right sample. 16-bit samples are signed, 8-bit ones offset by 128;
// with one channel both levels are that channel's.
struct PeakLevels {
  int left = 0;
  int right = 0;
};
// The largest magnitudes (that of -32768 is 32768) of the left and right samples of
// 16-bit stereo data, starting from peaks.
PeakLevels PeakMagnitudes(const char* data, uint32_t length, PeakLevels peaks = {});
// A peak magnitude as a level 0 to 99 of fullScale, in single precision, truncated.
int LevelOfPeak(int magnitude, float fullScale);
PeakLevels MeasureLevels(const char* data, uint32_t length, uint16_t bitsPerSample, uint16_t channels);

// The mixing board's output meters during playback: every 40 ms they show the 25 ms
// of the buffer that is sounding now, found from the device callback's counters.
class CPlaybackMeters : public PlaybackMeterObserver {
 public:
  // Where the meter positions go; without a sink they go nowhere.
  using Sink = std::function<void(int left, int right)>;
  explicit CPlaybackMeters(Sink sink = {}) : m_sink(std::move(sink)) {}

  void AttachPlayer(AudioPlayerNonThreaded& player) override;
  void DetachPlayer() override;
  void UpdateMeters() override;
  // Shows the part of a buffer that sounds m_lastPlayedMs into it.
  void ShowPlaybackLevels(const char* data, uint32_t length, uint16_t bitsPerSample, uint16_t channels);
  void ShowLevels(const char* data, uint32_t length, uint16_t bitsPerSample, uint16_t channels);

  bool Active() const { return m_bMetersActive; }
  // The positions last given to the meters.
  int LeftMeter() const { return m_left; }
  int RightMeter() const { return m_right; }

 private:
  void SetMeters(int left, int right);

  Sink m_sink;
  AudioPlayerNonThreaded* m_playbackMeter = nullptr;
  bool m_bMetersActive = false;
  uint32_t m_lastPlayedMs = 0;
  const char* m_data = nullptr;
  uint32_t m_length = 0;
  uint16_t m_bitsPerSample = 0;
  uint16_t m_channels = 0;
  int m_left = 0;
  int m_right = 0;
};
