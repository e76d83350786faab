#include "core/recent_files.h"

#include <algorithm>

#include "platform/system.h"

namespace {
constexpr const char* kSection = "Recent File List";
std::string EntryName(size_t index) {
  return "File" + std::to_string(index + 1);
}
}  // namespace

void CRecentFileList::Load() {
  m_items.clear();
  platform::SettingsStore* store = platform::Os().settings;
  if (!store) return;
  for (size_t i = 0; i < kSize; ++i) {
    auto value = store->GetString(kSection, EntryName(i));
    if (value && !value->empty()) m_items.push_back(*value);
  }
}

void CRecentFileList::Save() const {
  platform::SettingsStore* store = platform::Os().settings;
  if (!store) return;
  for (size_t i = 0; i < kSize; ++i) {
    if (i < m_items.size()) {
      store->SetString(kSection, EntryName(i), m_items[i]);
    } else {
      store->Remove(kSection, EntryName(i));
    }
  }
}

void CRecentFileList::Add(std::string path) {
  Remove(path);
  m_items.insert(m_items.begin(), std::move(path));
  if (m_items.size() > kSize) m_items.resize(kSize);
}

void CRecentFileList::Remove(std::string path) {
  std::erase(m_items, path);
}
