#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace platform {

// The per-user settings store: text values by section and entry.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::optional<std::string> GetString(const std::string& section, const std::string& entry) = 0;
  virtual void SetString(const std::string& section, const std::string& entry, const std::string& value) = 0;
  virtual void Remove(const std::string& section, const std::string& entry) = 0;
};

// Settings held in memory for the life of the process.
class MemorySettingsStore : public SettingsStore {
 public:
  std::optional<std::string> GetString(const std::string& section, const std::string& entry) override;
  void SetString(const std::string& section, const std::string& entry, const std::string& value) override;
  void Remove(const std::string& section, const std::string& entry) override;

 private:
  std::map<std::pair<std::string, std::string>, std::string> m_values;
};

}  // namespace platform
