#include "core/progress_dialog.h"

#include <cstdio>

#include "core/errors.h"
#include "core/main_frame.h"
#include "core/program_links.h"
#include "platform/system.h"

std::string RemainingTimeText(int percent, unsigned int elapsedMs) {
  if (percent <= 5) return "N/A";
  double elapsed = elapsedMs / 1000.0;
  auto seconds = static_cast<int>((100 - percent) * (elapsed / static_cast<float>(percent)) + 1.0);
  char text[64];
  if (seconds < 60) {
    std::snprintf(text, sizeof text, "%d seconds", seconds);
  } else if (seconds < 120) {
    std::snprintf(text, sizeof text, "%d minute %d seconds", seconds / 60, seconds % 60);
  } else {
    std::snprintf(text, sizeof text, "%d minutes %d seconds", seconds / 60, seconds % 60);
  }
  return text;
}

COperationDialog::COperationDialog() : DialogLogic(kOperationDialogLayout) {}

COperationDialog::~COperationDialog() {
  m_window.reset();
}

void COperationDialog::BeginOperation() {
  if (CMainFrame* frame = Links().mainFrame) frame->EnableWindow(false);
  m_nLastPercent = 0;
  m_nPosition = 0;
  m_window.reset();
  if (platform::DialogHost* host = platform::Os().dialogs) m_window = host->CreateModeless(*this);
}

bool COperationDialog::OnInitDialog() {
  if (platform::DialogSurface* surface = Surface()) surface->CenterWindow();
  SetText(IDC_OP_MESSAGE, m_szMessage);
  SetText(IDC_OP_PERCENT, "0");
  SetText(IDC_OP_REMAINING, "N/A");
  if (platform::DialogControl* bar = GetDlgItem(IDC_OP_PROGRESS)) {
    bar->SetRange(0, 100);
    bar->SetPos(0);
  }
  if (platform::DialogControl* cancel = GetDlgItem(IDC_OP_CANCEL)) cancel->SetEnabled(true);
  m_bCancelRequested = false;
  m_bFinished = false;
  return true;
}

void COperationDialog::EndOperation() {
  if (CMainFrame* frame = Links().mainFrame) frame->EnableWindow(true);
  m_window.reset();
}

void COperationDialog::OnCancel() {
  m_bCancelRequested = true;
}

void COperationDialog::SetText(const char* id, const std::string& text) {
  if (platform::DialogControl* control = GetDlgItem(id)) control->SetText(text);
}

void COperationDialog::SetMessage(const std::string& text, int resetPercent) {
  if (m_bFinished) return;
  if (m_bCancelRequested) {
    m_bFinished = true;
    return;
  }
  m_szMessage = text.substr(0, 255);
  if (!HasWindow()) return;
  SetText(IDC_OP_MESSAGE, m_szMessage);
  if (resetPercent) SetText(IDC_OP_PERCENT, "0");
}

void COperationDialog::SetProgressRange(unsigned int units) {
  m_nRange = units;
  m_nPosition = 0;
}

void COperationDialog::DisableCancel() {
  if (platform::DialogControl* cancel = GetDlgItem(IDC_OP_CANCEL)) cancel->SetEnabled(false);
}

void COperationDialog::UpdateProgress(unsigned int position) {
  if (m_bFinished) return;
  if (m_bCancelRequested) {
    EndOperation();
    m_bFinished = true;
    return;
  }
  platform::System& os = platform::Os();
  if (m_nPosition == 0 && os.clock) m_dwStartTick = os.clock->GetTickCount();
  m_nPosition = position;
  // One waiting message per report keeps Cancel and repainting alive meanwhile.
  if (os.pump) os.pump->DispatchOne();
  if (m_nRange == 0) m_nRange = 1;
  auto percent = static_cast<int>(static_cast<double>(position) / m_nRange * 100.0);
  if (percent == m_nLastPercent) return;
  m_nLastPercent = percent;
  SetText(IDC_OP_PERCENT, std::to_string(percent));
  if (platform::DialogControl* bar = GetDlgItem(IDC_OP_PROGRESS)) bar->SetPos(percent);
  unsigned int now = os.clock ? os.clock->GetTickCount() : m_dwStartTick;
  SetText(IDC_OP_REMAINING, RemainingTimeText(percent, now - m_dwStartTick));
}

void OperationCallback(int position, int* keepGoing) {
  COperationDialog* dialog = Links().operationDialog;
  if (!dialog) {
    ReportMissingObject("app", "OperationCallback");
    return;
  }
  dialog->UpdateProgress(static_cast<unsigned int>(position));
  if (keepGoing) *keepGoing = dialog->CancelRequested() ? 0 : 1;
}
