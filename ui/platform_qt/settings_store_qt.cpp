#include "ui/platform_qt/settings_store_qt.h"

namespace ui {

namespace {
QString KeyOf(const std::string& section, const std::string& entry) {
  return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(entry);
}
}  // namespace

QtSettingsStore::QtSettingsStore() : m_settings(QStringLiteral("Sonavel"), QStringLiteral("Trackwright 3.3")) {}

QtSettingsStore::QtSettingsStore(const QString& path) : m_settings(path, QSettings::IniFormat) {}

std::optional<std::string> QtSettingsStore::GetString(const std::string& section, const std::string& entry) {
  QString key = KeyOf(section, entry);
  if (!m_settings.contains(key)) return std::nullopt;
  QVariant value = m_settings.value(key);
  // An INI file edited by hand may hold a text with commas unquoted, which reads as a list.
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(',')).toStdString();
  return value.toString().toStdString();
}

void QtSettingsStore::SetString(const std::string& section, const std::string& entry, const std::string& value) {
  m_settings.setValue(KeyOf(section, entry), QString::fromStdString(value));
  m_settings.sync();
}

void QtSettingsStore::Remove(const std::string& section, const std::string& entry) {
  m_settings.remove(KeyOf(section, entry));
  m_settings.sync();
}

}  // namespace ui
