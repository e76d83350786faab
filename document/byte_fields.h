#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

// Little-endian fields of the project's binary records, read and written one by one.
namespace byte_fields {

inline void Put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}
inline void Put16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}
inline uint32_t Get32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}
inline uint16_t Get16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] | at[1] << 8);
}

// A text into a field of size bytes, cut to leave its terminating zero.
inline void PutText(uint8_t* at, size_t size, const std::string& text) {
  size_t length = std::min(text.size(), size - 1);
  std::memcpy(at, text.data(), length);
  std::memset(at + length, 0, size - length);
}
// A text out of a field: up to its zero, never past the field.
inline std::string GetText(const uint8_t* at, size_t size) {
  const void* end = std::memchr(at, 0, size);
  size_t length = end ? static_cast<size_t>(static_cast<const uint8_t*>(end) - at) : size;
  return std::string(reinterpret_cast<const char*>(at), length);
}

}  // namespace byte_fields
