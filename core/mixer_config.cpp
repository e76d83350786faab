#include "core/mixer_config.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kMagic[] = "SNVX30";

constexpr size_t kAudioFolder = 7;
constexpr size_t kWaveIn = 268;
constexpr size_t kWaveOut = 272;
constexpr size_t kReserved276 = 276;
constexpr size_t kMetronomeOn = 280;
constexpr size_t kMeasure = 284;
constexpr size_t kSound = 285;
constexpr size_t kAccent = 288;
constexpr size_t kTempo = 292;
constexpr size_t kLevel = 294;
constexpr size_t kTimeDisplay = 296;
constexpr size_t kWaveColours = 298;
constexpr size_t kOutlineColours = 314;
constexpr size_t kMarkerColours = 330;

void Put32(MixerConfig::Bytes& bytes, size_t at, int32_t value) {
  auto v = static_cast<uint32_t>(value);
  for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void Put16(MixerConfig::Bytes& bytes, size_t at, int16_t value) {
  auto v = static_cast<uint16_t>(value);
  bytes[at] = static_cast<uint8_t>(v);
  bytes[at + 1] = static_cast<uint8_t>(v >> 8);
}

int32_t Get32(const MixerConfig::Bytes& bytes, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
  return static_cast<int32_t>(v);
}

int16_t Get16(const MixerConfig::Bytes& bytes, size_t at) {
  return static_cast<int16_t>(static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8)));
}

}  // namespace

MetronomeSettings MixerConfig::Metronome() const {
  return {metronomeOn, metronomeMeasure, metronomeSound, metronomeAccent, metronomeTempo, metronomeLevel};
}

void MixerConfig::SetMetronome(const MetronomeSettings& metronome) {
  metronomeOn = metronome.on;
  metronomeMeasure = metronome.measure;
  metronomeSound = metronome.sound;
  metronomeAccent = metronome.accent;
  metronomeTempo = metronome.tempo;
  metronomeLevel = metronome.level;
}

MixerConfig MixerConfig::FirstRunDefaults(const std::string& audioFolder, int32_t deviceIndex, bool metronomeOn) {
  MixerConfig config;
  config.audioFolder = audioFolder;
  config.waveInDevice = deviceIndex;
  config.waveOutDevice = deviceIndex;
  config.reserved276 = 1;
  config.metronomeOn = metronomeOn ? 1 : 0;
  config.metronomeMeasure = 1;
  config.metronomeSound = 1;
  config.metronomeAccent = 1;
  config.metronomeTempo = 100;
  config.metronomeLevel = 10;
  config.timeDisplayType = 0;
  config.waveColour.fill(0);     // Blue
  config.outlineColour.fill(7);  // Black
  config.markerColour.fill(2);   // White
  return config;
}

MixerConfig::Bytes MixerConfig::Encode() const {
  Bytes bytes{};
  std::memcpy(bytes.data(), kMagic, sizeof kMagic);  // the magic and its NUL
  size_t length = std::min(audioFolder.size(), kAudioFolderSize - 1);
  std::memcpy(bytes.data() + kAudioFolder, audioFolder.data(), length);
  Put32(bytes, kWaveIn, waveInDevice);
  Put32(bytes, kWaveOut, waveOutDevice);
  Put32(bytes, kReserved276, reserved276);
  Put32(bytes, kMetronomeOn, metronomeOn);
  bytes[kMeasure] = metronomeMeasure;
  bytes[kSound] = metronomeSound;
  Put32(bytes, kAccent, metronomeAccent);
  Put16(bytes, kTempo, metronomeTempo);
  bytes[kLevel] = metronomeLevel;
  Put16(bytes, kTimeDisplay, timeDisplayType);
  for (size_t track = 0; track < 8; ++track) {
    Put16(bytes, kWaveColours + 2 * track, waveColour[track]);
    Put16(bytes, kOutlineColours + 2 * track, outlineColour[track]);
    Put16(bytes, kMarkerColours + 2 * track, markerColour[track]);
  }
  return bytes;
}

bool MixerConfig::HasMagic(const Bytes& bytes) {
  return std::memcmp(bytes.data(), kMagic, sizeof kMagic) == 0;
}

MixerConfig MixerConfig::Decode(const uint8_t* data, size_t count) {
  Bytes bytes{};
  std::memcpy(bytes.data(), data, std::min(count, kSize));
  MixerConfig config;
  const auto* folder = reinterpret_cast<const char*>(bytes.data() + kAudioFolder);
  const void* end = std::memchr(folder, '\0', kAudioFolderSize);
  config.audioFolderTerminated = end != nullptr;
  config.audioFolder.assign(folder, end ? static_cast<const char*>(end) - folder : kAudioFolderSize);
  config.waveInDevice = Get32(bytes, kWaveIn);
  config.waveOutDevice = Get32(bytes, kWaveOut);
  config.reserved276 = Get32(bytes, kReserved276);
  config.metronomeOn = Get32(bytes, kMetronomeOn);
  config.metronomeMeasure = bytes[kMeasure];
  config.metronomeSound = bytes[kSound];
  config.metronomeAccent = Get32(bytes, kAccent);
  config.metronomeTempo = Get16(bytes, kTempo);
  config.metronomeLevel = bytes[kLevel];
  config.timeDisplayType = Get16(bytes, kTimeDisplay);
  for (size_t track = 0; track < 8; ++track) {
    config.waveColour[track] = Get16(bytes, kWaveColours + 2 * track);
    config.outlineColour[track] = Get16(bytes, kOutlineColours + 2 * track);
    config.markerColour[track] = Get16(bytes, kMarkerColours + 2 * track);
  }
  return config;
}
