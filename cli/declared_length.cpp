#include "cli/declared_length.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "document/byte_fields.h"

namespace {

using byte_fields::Get32;

uint32_t BigEndian32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 | static_cast<uint32_t>(at[2]) << 8 |
         at[3];
}

// Reads count bytes at offset; false when the file holds fewer.
bool ReadAt(std::ifstream& in, uint64_t offset, uint8_t* bytes, size_t count) {
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset));
  in.read(reinterpret_cast<char*>(bytes), static_cast<std::streamsize>(count));
  return static_cast<size_t>(in.gcount()) == count;
}

// Writers that cannot seek back declare a data chunk of about 2 GB (or 0): no length.
constexpr uint32_t kStreamedDataSize = 0x7FFFF000;

std::optional<DeclaredLength> WaveLength(std::ifstream& in, uint64_t fileSize) {
  uint32_t byteRate = 0;
  uint8_t chunk[8];
  for (uint64_t at = 12; ReadAt(in, at, chunk, sizeof chunk); at += 8 + Get32(chunk + 4) + (Get32(chunk + 4) & 1)) {
    const uint32_t size = Get32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      uint8_t format[12];
      if (size < sizeof format || !ReadAt(in, at + 8, format, sizeof format)) return std::nullopt;
      byteRate = Get32(format + 8);
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (byteRate == 0 || size == 0 || size >= kStreamedDataSize) return std::nullopt;
      const uint64_t present = fileSize > at + 8 ? fileSize - (at + 8) : 0;
      return DeclaredLength{static_cast<double>(size) / byteRate, present < size};
    }
  }
  return std::nullopt;
}

std::optional<DeclaredLength> Mp3Length(std::ifstream& in, uint64_t fileSize) {
  // An ID3v2 tag before the first frame: 10 bytes, its size in 7-bit bytes, a footer.
  uint64_t start = 0;
  uint8_t id3[10];
  if (ReadAt(in, 0, id3, sizeof id3) && std::memcmp(id3, "ID3", 3) == 0) {
    start = 10 + (uint64_t{id3[6]} << 21 | uint64_t{id3[7]} << 14 | uint64_t{id3[8]} << 7 | id3[9]);
    if (id3[5] & 0x10) start += 10;
  }
  std::array<uint8_t, 4 + 32 + 120 + 24> frame{};
  if (!ReadAt(in, start, frame.data(), 4)) return std::nullopt;
  const int version = (frame[1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
  const int rateIndex = (frame[2] >> 2) & 3;
  if (frame[0] != 0xFF || (frame[1] & 0xE0) != 0xE0 || version == 1 || ((frame[1] >> 1) & 3) != 1 || rateIndex == 3) {
    return std::nullopt;  // not a Layer III frame
  }
  constexpr uint32_t kRates[4][3] = {{11025, 12000, 8000}, {}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  const uint32_t rate = kRates[version][rateIndex];
  const bool mono = (frame[3] >> 6) == 3;
  const size_t sideInfo = version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  ReadAt(in, start, frame.data(), frame.size());  // a short read leaves zeros
  const uint8_t* xing = frame.data() + 4 + sideInfo;
  if (std::memcmp(xing, "Xing", 4) != 0 && std::memcmp(xing, "Info", 4) != 0) return std::nullopt;
  const uint32_t flags = BigEndian32(xing + 4);
  if ((flags & 3) != 3) return std::nullopt;  // the frame count and the byte count are both needed
  const uint32_t frames = BigEndian32(xing + 8), bytes = BigEndian32(xing + 12);
  const uint8_t* lame = xing + 16 + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
  // The encoder's delay and padding, 12 bits each, which a gapless decoder leaves out.
  uint32_t trimmed = 0;
  if (std::memcmp(lame, "LAME", 4) == 0)
    trimmed = (uint32_t{lame[21]} << 4 | lame[22] >> 4) + ((lame[22] & 15u) << 8 | lame[23]);
  const uint64_t samples = uint64_t{frames} * (version == 3 ? 1152 : 576);
  // The byte count runs from the first frame to the last one; an ID3v1 tag follows.
  uint8_t tag[3];
  const bool tagAtEnd =
      fileSize >= start + 128 && ReadAt(in, fileSize - 128, tag, 3) && std::memcmp(tag, "TAG", 3) == 0;
  const uint64_t present = fileSize - start - (tagAtEnd ? 128 : 0);
  return DeclaredLength{static_cast<double>(samples > trimmed ? samples - trimmed : 0) / rate, present < bytes};
}

}  // namespace

std::optional<DeclaredLength> ReadDeclaredLength(const std::string& path) {
  std::error_code error;
  const uint64_t fileSize = std::filesystem::file_size(path, error);
  std::ifstream in(path, std::ios::binary);
  uint8_t riff[12];
  if (error || !in || !ReadAt(in, 0, riff, sizeof riff)) return std::nullopt;
  if (std::memcmp(riff, "RIFF", 4) == 0 && std::memcmp(riff + 8, "WAVE", 4) == 0) return WaveLength(in, fileSize);
  return Mp3Length(in, fileSize);
}
