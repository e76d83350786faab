#include "platform/settings_store.h"

namespace platform {

std::optional<std::string> MemorySettingsStore::GetString(const std::string& section, const std::string& entry) {
  auto it = m_values.find({section, entry});
  if (it == m_values.end()) return std::nullopt;
  return it->second;
}

void MemorySettingsStore::SetString(const std::string& section, const std::string& entry, const std::string& value) {
  m_values[{section, entry}] = value;
}

void MemorySettingsStore::Remove(const std::string& section, const std::string& entry) {
  m_values.erase({section, entry});
}

}  // namespace platform
