#include "platform/memory_dialog_surface.h"

namespace platform {

int MemoryControl::AddString(const std::string& item) {
  m_items.push_back(item);
  Changed();
  return static_cast<int>(m_items.size()) - 1;
}

void MemoryControl::SetCurSel(int index) {
  m_sel = (index >= 0 && index < GetCount()) ? index : -1;
  Changed();
}

std::string MemoryControl::GetItemText(int index) const {
  return (index >= 0 && index < GetCount()) ? m_items[static_cast<size_t>(index)] : std::string();
}

MemoryDialogSurface::MemoryDialogSurface(const std::vector<std::string>& controls) : m_fixed(true) {
  for (const auto& id : controls) Make(id);
}

MemoryControl* MemoryDialogSurface::Make(const std::string& id) {
  auto& slot = m_controls[id];
  if (!slot) {
    slot = std::make_unique<MemoryControl>([this] {
      if (m_observer) m_observer();
    });
  }
  return slot.get();
}

DialogControl* MemoryDialogSurface::GetDlgItem(const std::string& id) {
  m_requested.insert(id);
  if (m_removed.count(id)) return nullptr;
  auto it = m_controls.find(id);
  if (it != m_controls.end()) return it->second.get();
  return m_fixed ? nullptr : Make(id);
}

void MemoryDialogSurface::Remove(const std::string& id) {
  m_removed.insert(id);
  m_controls.erase(id);
}

}  // namespace platform
