#pragma once

#include <memory>
#include <string>

#include "platform/dialog_logic.h"

inline constexpr const char* kOperationDialogLayout = "operation_dialog";
// Control ids of the progress dialog's layout.
inline constexpr const char* IDC_OP_MESSAGE = "IDC_OP_MESSAGE";
inline constexpr const char* IDC_OP_PERCENT = "IDC_OP_PERCENT";
inline constexpr const char* IDC_OP_REMAINING = "IDC_OP_REMAINING";
inline constexpr const char* IDC_OP_PROGRESS = "IDC_OP_PROGRESS";
inline constexpr const char* IDC_OP_CANCEL = "IDCANCEL";

// The modeless progress dialog of every long operation: message, percentage,
// remaining time, progress bar and Cancel. Work units are bytes divided by 100.
class COperationDialog : public platform::DialogLogic {
 public:
  COperationDialog();
  ~COperationDialog() override;

  void BeginOperation();
  void EndOperation();
  void SetMessage(const std::string& text, int resetPercent);
  void SetProgressRange(unsigned int units);
  void UpdateProgress(unsigned int position);
  void StepProgress(unsigned int units) { UpdateProgress(m_nPosition + units); }
  void DisableCancel();

  bool CancelRequested() const { return m_bCancelRequested; }
  unsigned int Position() const { return m_nPosition; }
  bool IsOpen() const { return m_window != nullptr; }
  const std::string& Message() const { return m_szMessage; }

  bool OnInitDialog() override;  // the window's creation
  void OnCancel() override;      // the Cancel button
  void OnOK() override {}        // Enter does not close the dialog

 private:
  void SetText(const char* id, const std::string& text);

  std::string m_szMessage;
  unsigned int m_nRange = 0;
  unsigned int m_nPosition = 0;
  int m_nLastPercent = 0;
  unsigned int m_dwStartTick = 0;
  bool m_bCancelRequested = false;
  bool m_bFinished = false;
  std::unique_ptr<platform::ModelessDialog> m_window;
};

// The progress callback given to the codec modules: forwards the position to the
// application's progress dialog and clears keepGoing once Cancel was pressed.
void OperationCallback(int position, int* keepGoing);

// The remaining-time text for a percentage reached after elapsedMs.
std::string RemainingTimeText(int percent, unsigned int elapsedMs);
