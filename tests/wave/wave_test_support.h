#pragma once

#include <cstdint>
#include <vector>

#include "platform/wave/wave_device.h"
#include "tests/support/pattern.h"

namespace wavetest {

// A header with a data block of its own.
struct TestBuffer {
  explicit TestBuffer(uint32_t size = 0) : bytes(size) {
    header.data = bytes.empty() ? nullptr : bytes.data();
    header.bufferLength = size;
  }
  TestBuffer(const TestBuffer&) = delete;
  TestBuffer& operator=(const TestBuffer&) = delete;

  bool Done() const { return header.flags.load(std::memory_order_acquire) & platform::WHDR_DONE; }
  bool Queued() const { return header.flags.load(std::memory_order_acquire) & platform::WHDR_INQUEUE; }
  std::vector<char> Recorded() const { return {bytes.begin(), bytes.begin() + header.bytesRecorded}; }

  std::vector<char> bytes;
  platform::WaveHeader header;
};

// length bytes of the stream named seed, from its byte from on.
inline std::vector<char> PatternBytes(uint32_t seed, uint64_t length, uint64_t from = 0) {
  std::vector<char> bytes(length);
  for (uint64_t i = 0; i < length; ++i) bytes[i] = PatternByte(seed, from + i);
  return bytes;
}

inline void Fill(TestBuffer& buffer, uint32_t seed) {
  for (uint64_t i = 0; i < buffer.bytes.size(); ++i) buffer.bytes[i] = PatternByte(seed, i);
}

inline std::vector<char> Concat(std::initializer_list<std::vector<char>> parts) {
  std::vector<char> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace wavetest
