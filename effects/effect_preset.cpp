#include "effects/effect_preset.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace effects {

namespace {

void Put32(uint8_t* at, int32_t value) {
  const auto raw = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(raw >> (8 * i));
}

int32_t Get32(const uint8_t* at) {
  return static_cast<int32_t>(static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                              static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::string EffectPreset::Name() const {
  return std::string(nameField.data(), strnlen(nameField.data(), kNameSize));
}

void EffectPreset::SetName(const std::string& name) {
  const size_t length = std::min(name.size(), kNameSize - 1);
  std::memcpy(nameField.data(), name.data(), length);
  nameField[length] = '\0';
}

void EffectPreset::Encode(uint8_t* out) const {
  std::memcpy(out, nameField.data(), kNameSize);
  const int32_t fields[] = {lock, level1Left, level1Right, level2Left, level2Right, delayLeft, delayRight, voices};
  for (size_t f = 0; f < std::size(fields); ++f) Put32(out + kNameSize + 4 * f, fields[f]);
}

EffectPreset EffectPreset::Decode(const uint8_t* data, size_t count) {
  uint8_t bytes[kSize] = {};
  std::memcpy(bytes, data, std::min(count, kSize));
  EffectPreset preset;
  std::memcpy(preset.nameField.data(), bytes, kNameSize);
  int32_t* fields[] = {&preset.lock,        &preset.level1Left, &preset.level1Right, &preset.level2Left,
                       &preset.level2Right, &preset.delayLeft,  &preset.delayRight,  &preset.voices};
  for (size_t f = 0; f < std::size(fields); ++f) *fields[f] = Get32(bytes + kNameSize + 4 * f);
  return preset;
}

void PresetTable::SetBuiltIns(const std::array<EffectPreset, kBuiltInCount>& builtIns) {
  m_entries.assign(builtIns.begin(), builtIns.end());
}

void PresetTable::LoadUserPresets(const std::string& path) {
  m_entries.resize(std::min(m_entries.size(), kBuiltInCount));
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return;
  uint8_t record[EffectPreset::kSize];
  while (!Full()) {
    const size_t got = std::fread(record, 1, sizeof record, file.get());
    if (got == 0) break;
    m_entries.push_back(EffectPreset::Decode(record, got));
  }
}

bool PresetTable::Add(const EffectPreset& preset) {
  if (Full()) return false;
  m_entries.push_back(preset);
  return true;
}

std::vector<uint8_t> PresetTable::UserPresetBytes(size_t skipIndex) const {
  std::vector<uint8_t> bytes;
  for (size_t n = kBuiltInCount; n < m_entries.size(); ++n) {
    if (n == skipIndex) continue;
    bytes.resize(bytes.size() + EffectPreset::kSize);
    m_entries[n].Encode(bytes.data() + bytes.size() - EffectPreset::kSize);
  }
  return bytes;
}

}  // namespace effects
