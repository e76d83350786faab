#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace effects {

// A named set of a tool's settings, stored as a 160-byte little-endian record: the name
// (128 bytes, NUL-terminated), then lock, level pair 1 left/right, level pair 2
// left/right, delay left/right (ms) and voices, each an int32.
struct EffectPreset {
  static constexpr size_t kSize = 160;
  static constexpr size_t kNameSize = 128;

  // The name field as stored; what follows its NUL is kept as it was read.
  std::array<char, kNameSize> nameField{};
  int32_t lock = 0;
  int32_t level1Left = 0, level1Right = 0;
  int32_t level2Left = 0, level2Right = 0;
  int32_t delayLeft = 0, delayRight = 0;
  int32_t voices = 0;

  std::string Name() const;
  // Keeps at most 127 characters and the terminating NUL.
  void SetName(const std::string& name);

  void Encode(uint8_t* out) const;
  // A record from count bytes; the bytes of a short record beyond count read as zero.
  static EffectPreset Decode(const uint8_t* data, size_t count);
};

// A tool's presets: its four built-ins, then up to 60 of the user's.
class PresetTable {
 public:
  static constexpr size_t kBuiltInCount = 4;
  static constexpr size_t kMaxPresets = 64;

  const std::vector<EffectPreset>& Entries() const { return m_entries; }
  size_t Count() const { return m_entries.size(); }
  bool Full() const { return m_entries.size() >= kMaxPresets; }

  // Replaces the built-ins (and drops every user preset).
  void SetBuiltIns(const std::array<EffectPreset, kBuiltInCount>& builtIns);
  // Reads the user presets of a preset file after the built-ins, up to the table's
  // limit; a last record cut short counts as a preset with its missing bytes zero. A
  // missing file holds none.
  void LoadUserPresets(const std::string& path);
  // Adds one at the end; false when the table is full.
  bool Add(const EffectPreset& preset);
  // The user presets, except the entry at skipIndex (none when it names no user
  // preset), as the bytes of a preset file.
  std::vector<uint8_t> UserPresetBytes(size_t skipIndex) const;

 private:
  std::vector<EffectPreset> m_entries;
};

}  // namespace effects
