#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

// The arithmetic every effect shares, on the project's PCM: 16-bit signed little-endian
// samples, left then right, 4 bytes a frame, 176,400 bytes a second.
namespace effects {

inline constexpr uint32_t kFrameBytes = 4;
inline constexpr double kBytesPerSecond = 176400.0;
// Scaled and summed samples stay inside these bounds, a little short of full scale.
inline constexpr int kSampleLimit = 32700;
// The effects' usual chunk: 2,048 frames.
inline constexpr uint32_t kChunkBytes = 8192;

inline int16_t Clip(int value) {
  return static_cast<int16_t>(std::clamp(value, -kSampleLimit, kSampleLimit));
}

// A percentage as the single-precision factor the effects multiply by.
inline float PercentFactor(int percent) {
  return static_cast<float>(percent / 100.0);
}

// sample x factor in single precision, truncated toward zero and clipped.
inline int16_t Scale(int16_t sample, float factor) {
  return Clip(static_cast<int>(static_cast<float>(sample) * factor));
}

// destination + source x gain in single precision, truncated toward zero and clipped.
inline int16_t AddScaled(int16_t destination, int16_t source, float gain) {
  return Clip(static_cast<int>(static_cast<float>(destination) + static_cast<float>(source) * gain));
}

// A delay in milliseconds as whole frames of bytes.
inline uint32_t DelayBytes(int milliseconds) {
  const auto bytes = static_cast<uint32_t>(milliseconds / 1000.0 * kBytesPerSecond);
  return bytes - bytes % kFrameBytes;
}

// Sample index of a buffer (two per frame: even left, odd right), read and written
// byte by byte so that neither alignment nor the host's byte order matters.
inline int16_t SampleAt(const unsigned char* bytes, uint32_t index) {
  return static_cast<int16_t>(bytes[2 * index] | bytes[2 * index + 1] << 8);
}
inline void SetSampleAt(unsigned char* bytes, uint32_t index, int16_t value) {
  const auto raw = static_cast<uint16_t>(value);
  bytes[2 * index] = static_cast<unsigned char>(raw & 0xff);
  bytes[2 * index + 1] = static_cast<unsigned char>(raw >> 8);
}

}  // namespace effects
