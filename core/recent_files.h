#pragma once

#include <string>
#include <vector>

// The most recently opened files, newest first, kept in the settings store.
class CRecentFileList {
 public:
  static constexpr size_t kSize = 4;

  void Load();
  void Save() const;
  // Puts the file first, dropping an older entry of the same name and the oldest
  // entry when the list is full. Both take a copy: the name may be one of the list's.
  void Add(std::string path);
  void Remove(std::string path);
  const std::vector<std::string>& Items() const { return m_items; }

 private:
  std::vector<std::string> m_items;
};
