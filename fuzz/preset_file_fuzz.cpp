// A preset file of any bytes: no fault, at most 60 user presets read, and the presets
// read are written back and read again unchanged.

#include <cstdlib>

#include "effects/effect_preset.h"
#include "fuzz/memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryFile file;
  file.Fill(data, size);
  effects::PresetTable table;
  table.SetBuiltIns({});
  table.LoadUserPresets(file.Path());
  if (table.Count() > effects::PresetTable::kMaxPresets) std::abort();
  const std::vector<uint8_t> stored = table.UserPresetBytes(effects::PresetTable::kMaxPresets);
  file.Fill(stored.data(), stored.size());
  effects::PresetTable again;
  again.SetBuiltIns({});
  again.LoadUserPresets(file.Path());
  if (again.UserPresetBytes(effects::PresetTable::kMaxPresets) != stored) std::abort();
  return 0;
}
