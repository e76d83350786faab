#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio_store/codec_modules.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/prerequisites.h"
#include "tests/support/temp_folder.h"

// Interleaved 16-bit samples and their little-endian bytes.
inline std::string ToBytes(const std::vector<int16_t>& samples) {
  std::string bytes;
  bytes.reserve(2 * samples.size());
  for (int16_t sample : samples) {
    auto value = static_cast<uint16_t>(sample);
    bytes += static_cast<char>(value & 0xff);
    bytes += static_cast<char>(value >> 8);
  }
  return bytes;
}

inline std::vector<int16_t> ToSamples(const std::string& bytes, size_t from = 0) {
  std::vector<int16_t> samples;
  for (size_t i = from; i + 1 < bytes.size(); i += 2) {
    samples.push_back(static_cast<int16_t>(
        static_cast<uint16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8))));
  }
  return samples;
}

// frames of a chord of two sines at the rate, the right channel a different chord.
inline std::vector<int16_t> Tones(size_t frames, int channels, double rate) {
  std::vector<int16_t> samples;
  const double pi = 3.14159265358979;
  for (size_t i = 0; i < frames; ++i) {
    double t = static_cast<double>(i) / rate;
    samples.push_back(static_cast<int16_t>(9000 * std::sin(2 * pi * 440 * t) + 5000 * std::sin(2 * pi * 1250 * t)));
    if (channels == 2) {
      samples.push_back(static_cast<int16_t>(8000 * std::sin(2 * pi * 660 * t) + 4000 * std::sin(2 * pi * 150 * t)));
    }
  }
  return samples;
}

// The signal-to-noise ratio of got against want, in dB, over the common length.
inline double SignalToNoise(const std::vector<int16_t>& want, const std::vector<int16_t>& got) {
  double signal = 0, noise = 0;
  for (size_t i = 0; i < std::min(want.size(), got.size()); ++i) {
    signal += static_cast<double>(want[i]) * want[i];
    double d = static_cast<double>(want[i]) - got[i];
    noise += d * d;
  }
  return 10 * std::log10(signal / std::max(noise, 1.0));
}

inline std::string Quote(const std::string& text) {
  return "'" + text + "'";
}

// Runs a shell command quietly; true when it succeeded.
inline bool Shell(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// What a WAV decode gave.
struct WaveResult {
  int result = -2;
  AudioQuality quality{0, 0, 0};
  uint32_t dataBytes = 0;
  std::string pcm;
};

// A callback that records the positions and stops at the given call (0: never).
struct Recorder {
  static inline std::vector<int> positions;
  static inline int stopAt = 0;
  static void Callback(int position, int* keepGoing) {
    positions.push_back(position);
    if (stopAt != 0 && static_cast<int>(positions.size()) == stopAt) *keepGoing = 0;
  }
  static void Reset(int stop = 0) {
    positions.clear();
    stopAt = stop;
  }
};

// The build's codec modules, loaded as the program would load them, on files in a
// temp folder.
struct CodecTest : ::testing::Test {
  TempFolder root;
  platform::ScriptedSystem system{TRACKWRIGHT_PROGRAM_FOLDER, root.Path(), root.Path()};

  void SetUp() override { Recorder::Reset(); }
  void TearDown() override { EXPECT_TRUE(system.messages.shown.empty()) << "the modules loaded without a report"; }

  std::string Path(const std::string& name) const { return root / name; }

  WaveResult DecodeWave(const std::string& path, CodecCallback callback = nullptr) {
    WaveResult out;
    std::string pcm = Path("decoded.pcm");
    out.result = CallWaveDecode("Test", path, pcm, &out.quality, &out.dataBytes, callback);
    out.pcm = ReadFileBytes(pcm);
    return out;
  }
  // Decodes the MP3; the WAV it gave, or empty when it failed.
  std::string DecodeMp3(const std::string& path, int* result, CodecCallback callback = nullptr) {
    std::string wav = Path("decoded.wav");
    std::remove(wav.c_str());
    *result = CallLameDecode("Test", path, wav, callback);
    return *result == kCodecDone ? ReadFileBytes(wav) : std::string();
  }
  // Raw 16-bit PCM at the given format made into a file by sox with the extra options.
  std::string SoxFromRaw(const std::string& raw, int channels, int rate, const std::string& options,
                         const std::string& name, const std::string& encoding = "-e signed -b 16") {
    std::string in = Path(name + ".raw"), out = Path(name);
    WriteFileBytes(in, raw);
    EXPECT_TRUE(Shell("sox -t raw " + encoding + " -c " + std::to_string(channels) + " -r " + std::to_string(rate) +
                      " " + Quote(in) + " " + options + " " + Quote(out)))
        << name;
    return out;
  }
};

// The 32-bit little-endian value at offset.
inline uint32_t U32At(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[offset + static_cast<size_t>(i)]);
  return value;
}
inline uint16_t U16At(const std::string& bytes, size_t offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) | (static_cast<uint8_t>(bytes[offset + 1]) << 8));
}
