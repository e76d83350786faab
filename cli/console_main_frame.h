#pragma once

#include "core/main_frame.h"

// The main frame of a console run: there is no window, only its enabled state.
class ConsoleMainFrame : public CMainFrame {
 public:
  void ShowMainWindow(bool) override {}
  void EnableWindow(bool enable) override { m_enabled = enable; }
  bool IsWindowEnabled() const override { return m_enabled; }
  void SetDocumentTitle(const std::string&) override {}
  void UpdateCommandStates() override {}

 private:
  bool m_enabled = true;
};
