#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/metronome_settings.h"

// The configuration record, kept in memory in decoded form and stored in mixer.cfg as
// 348 little-endian bytes at fixed offsets.
struct MixerConfig {
  static constexpr size_t kSize = 348;
  static constexpr size_t kAudioFolderSize = 260;  // with its terminating NUL
  using Bytes = std::array<uint8_t, kSize>;

  std::string audioFolder;
  // False when the stored folder text filled its field without a terminating NUL.
  bool audioFolderTerminated = true;
  int32_t waveInDevice = 0;
  int32_t waveOutDevice = 0;
  int32_t reserved276 = 0;
  int32_t metronomeOn = 0;
  uint8_t metronomeMeasure = 0;  // 0 none, 1 four beats, 2 three beats
  uint8_t metronomeSound = 0;    // 1 stick, 0 drum beat
  int32_t metronomeAccent = 0;
  int16_t metronomeTempo = 0;
  uint8_t metronomeLevel = 0;   // level index 0..60, 10 is unity gain
  int16_t timeDisplayType = 0;  // 0 time, 1 beats, 2 samples
  std::array<int16_t, 8> waveColour{};
  std::array<int16_t, 8> outlineColour{};
  std::array<int16_t, 8> markerColour{};

  // The metronome's fields as one record, and that record put back into them.
  MetronomeSettings Metronome() const;
  void SetMetronome(const MetronomeSettings& metronome);
  // The tempo in beats per minute that the metronome, the Beats time display and every
  // length in beats use; a negative stored tempo counts as 0.
  uint32_t Tempo() const { return Metronome().Tempo(); }

  // The values the first-run settings page writes.
  static MixerConfig FirstRunDefaults(const std::string& audioFolder, int32_t deviceIndex, bool metronomeOn);

  // Whether a folder text fits the record's field.
  static bool FitsAudioFolder(const std::string& folder) { return folder.size() < kAudioFolderSize; }

  // The record with its magic stamped in.
  Bytes Encode() const;
  // Whether a record begins with the magic every write stamps into it.
  static bool HasMagic(const Bytes& bytes);
  // Decodes a record; bytes beyond count are taken as zero.
  static MixerConfig Decode(const uint8_t* data, size_t count);
};
