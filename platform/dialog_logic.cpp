#include "platform/dialog_logic.h"

#include "platform/system.h"

namespace platform {

int DialogLogic::DoModal() {
  DialogHost* host = Os().dialogs;
  return host ? host->RunModal(*this) : IDCANCEL;
}

void DialogLogic::EndDialog(int result) {
  if (m_endDialog) m_endDialog(result);
}

DialogControl* DialogLogic::GetDlgItem(const std::string& id) {
  return m_surface ? m_surface->GetDlgItem(id) : nullptr;
}

void DialogLogic::Attach(DialogSurface* surface, std::function<void(int)> endDialog) {
  m_surface = surface;
  m_endDialog = std::move(endDialog);
}

void DialogLogic::Detach() {
  m_surface = nullptr;
  m_endDialog = nullptr;
}

}  // namespace platform
