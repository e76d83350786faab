#include "core/message_dialog.h"

#include "core/errors.h"
#include "platform/message_boxes.h"
#include "platform/system.h"

void CMessageDialog::SetText(const std::string& text) {
  m_text = text.substr(0, kMaxText);
}

bool CMessageDialog::OnInitDialog() {
  if (platform::DialogSurface* surface = Surface()) surface->SetWindowText(platform::kProgramCaption);
  if (platform::DialogControl* field = GetDlgItem(IDC_MESSAGE_TEXT)) field->SetText(m_text);
  return true;
}

void CMessageDialog::Show(const std::string& text) {
  if (!platform::Os().interactive) {
    ShowInformation(text);
    return;
  }
  CMessageDialog dialog;
  dialog.SetText(text);
  dialog.DoModal();
}
