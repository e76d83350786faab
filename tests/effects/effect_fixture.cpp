#include "tests/effects/effect_fixture.h"

namespace effects_test {

FrameFile::FrameFile(const std::vector<Frame>& frames) : m_file(std::tmpfile()) {
  for (const auto& [left, right] : frames) {
    const uint16_t l = static_cast<uint16_t>(left), r = static_cast<uint16_t>(right);
    const unsigned char bytes[4] = {static_cast<unsigned char>(l), static_cast<unsigned char>(l >> 8),
                                    static_cast<unsigned char>(r), static_cast<unsigned char>(r >> 8)};
    std::fwrite(bytes, 1, 4, m_file);
  }
  std::fflush(m_file);
  // Small pages, so that every test crosses page boundaries and evicts pages.
  m_paged = std::make_unique<effects::PagedFile>(m_file, 1000, 3);
}

FrameFile::~FrameFile() {
  std::fclose(m_file);
}

std::vector<Frame> FrameFile::Frames() {
  m_paged->Flush();
  std::vector<Frame> frames;
  std::rewind(m_file);
  unsigned char bytes[4];
  while (std::fread(bytes, 1, 4, m_file) == 4) {
    frames.emplace_back(static_cast<int16_t>(bytes[0] | bytes[1] << 8), static_cast<int16_t>(bytes[2] | bytes[3] << 8));
  }
  return frames;
}

std::vector<Frame> Ramp(size_t count, int16_t first, int16_t step) {
  std::vector<Frame> frames;
  for (size_t i = 0; i < count; ++i) {
    const auto value = static_cast<int16_t>(first + static_cast<int>(i) * step);
    frames.emplace_back(value, static_cast<int16_t>(-value));
  }
  return frames;
}

}  // namespace effects_test
