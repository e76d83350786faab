#include "app/settings/app_settings_dialog.h"

#include "core/errors.h"
#include "core/main_frame.h"
#include "app/mixer_app.h"
#include "document/mixer_doc.h"
#include "platform/system.h"

namespace {

constexpr const char* kCreateFailures[CAppSettingsDialog::kPages] = {
    "Failed to create the audio path dialog", "Failed to create the color settings dialog",
    "Failed to create the time display dialog", "Failed to create the audio io dialog"};

// The order in which shown pages apply their values on OK.
constexpr int kApplyOrder[CAppSettingsDialog::kPages] = {1, 2, 0, 3};

}  // namespace

CSettingsPage& CAppSettingsDialog::Page(int page) {
  CSettingsPage* pages[kPages] = {&m_audioPath, &m_colorSettings, &m_timeDisplay, &m_audioIO};
  return *pages[page];
}

bool CAppSettingsDialog::OnInitDialog() {
  ClosePages();
  if (platform::DialogControl* tabs = GetDlgItem(IDC_SETTINGS_TABS)) tabs->SetCurSel(0);
  ActivateTabDialogs(0);
  return true;
}

void CAppSettingsDialog::OnSelChange(const std::string& id) {
  if (id != IDC_SETTINGS_TABS) return;
  if (platform::DialogControl* tabs = GetDlgItem(IDC_SETTINGS_TABS)) ActivateTabDialogs(tabs->GetCurSel());
}

void CAppSettingsDialog::ActivateTabDialogs(int page) {
  if (page < 0 || page >= kPages || m_pages[page]) return;
  platform::DialogHost* host = platform::Os().dialogs;
  m_pages[page] = host ? host->CreatePage(Page(page), *this, kPageContainers[page]) : nullptr;
  if (!m_pages[page]) ReportError("MyTabCtrl::ActivateTabDialogs", kCreateFailures[page]);
}

void CAppSettingsDialog::OnOK() {
  CMixerApp* app = CMixerApp::Get();
  if (!app) {
    ReportMissingObject("app", "CAppSettingsDialog::OnOK");
    return;
  }
  for (int page = 0; page < kPages; ++page) {
    if (m_pages[page] && !Page(page).CanApply(*app)) return;
  }
  for (int page : kApplyOrder) {
    if (m_pages[page]) Page(page).Apply(*app);
  }
  ClosePages();
  EndDialog(platform::IDOK);
  // The view draws in the new colours and the clocks count in the new unit.
  if (app->MainFrame() && app->m_pDocument) app->MainFrame()->OnDocumentChanged(app->m_pDocument->m_nCurrentTrack);
}

void CAppSettingsDialog::OnCancel() {
  ClosePages();
  EndDialog(platform::IDCANCEL);
}

void CAppSettingsDialog::ClosePages() {
  for (auto& page : m_pages) page.reset();
}
