#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

// The 44 bytes of a canonical PCM RIFF/WAVE header for dataSize bytes of audio,
// every number little-endian. A RIFF length beyond 32 bits is given as the largest.
inline std::array<uint8_t, 44> WaveHeaderBytes(uint32_t dataSize, int32_t sampleRate, int16_t channels,
                                               int16_t bitsPerSample) {
  std::array<uint8_t, 44> header{};
  size_t at = 0;
  auto text = [&](const char* four) {
    for (int i = 0; i < 4; ++i) header[at++] = static_cast<uint8_t>(four[i]);
  };
  auto u32 = [&](uint32_t value) {
    for (int i = 0; i < 4; ++i) header[at++] = static_cast<uint8_t>(value >> (8 * i));
  };
  auto u16 = [&](uint16_t value) {
    header[at++] = static_cast<uint8_t>(value & 0xff);
    header[at++] = static_cast<uint8_t>(value >> 8);
  };
  const uint32_t frameBytes = static_cast<uint32_t>(channels) * static_cast<uint32_t>(bitsPerSample / 8);
  text("RIFF");
  u32(dataSize > UINT32_MAX - 36 ? UINT32_MAX : dataSize + 36);
  text("WAVE");
  text("fmt ");
  u32(16);
  u16(1);
  u16(static_cast<uint16_t>(channels));
  u32(static_cast<uint32_t>(sampleRate));
  u32(frameBytes * static_cast<uint32_t>(sampleRate));
  u16(static_cast<uint16_t>(frameBytes));
  u16(static_cast<uint16_t>(bitsPerSample));
  text("data");
  u32(dataSize);
  return header;
}

// Writes the 44-byte header at the file's position: 1 written; 0 for a width other
// than 8 or 16 bits (nothing written, no report), a null file or a failed write
// (both reported).
int WriteWaveHeader(std::FILE* file, uint32_t dataSize, int32_t sampleRate, int16_t channels, int16_t bitsPerSample);
