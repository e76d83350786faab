#pragma once

#include <QSettings>
#include <QString>

#include "platform/settings_store.h"

namespace ui {

// The per-user settings store as QSettings: a section is a group, an entry a key.
class QtSettingsStore : public platform::SettingsStore {
 public:
  // The program's own store (organisation "Sonavel", application "Trackwright 3.3").
  QtSettingsStore();
  // A store in the INI file at path.
  explicit QtSettingsStore(const QString& path);

  std::optional<std::string> GetString(const std::string& section, const std::string& entry) override;
  void SetString(const std::string& section, const std::string& entry, const std::string& value) override;
  void Remove(const std::string& section, const std::string& entry) override;

 private:
  QSettings m_settings;
};

}  // namespace ui
