#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A byte that differs from position to position and from seed to seed, so that a
// misplaced, repeated or lost range shows in a comparison: byte index of the stream
// named seed.
inline char PatternByte(uint32_t seed, uint64_t index) {
  uint64_t x = (index + 1) * 0x9E3779B97F4A7C15ull ^ (uint64_t{seed} << 32 | seed);
  x ^= x >> 29;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 32;
  return static_cast<char>(x);
}

// count bytes of the stream named seed.
inline std::string Pattern(size_t count, uint32_t seed) {
  std::string bytes(count, '\0');
  for (size_t i = 0; i < count; ++i) bytes[i] = PatternByte(seed, i);
  return bytes;
}
