#pragma once

#include <functional>
#include <string>

#include "core/main_frame.h"

// A main frame without a window that records what the program told it.
struct FakeMainFrame : CMainFrame {
  bool shown = false, restored = false, enabled = true;
  std::string title;
  int changes = 0;
  int commandRefreshes = 0;
  // Called on each document change, after it is counted.
  std::function<void(int track)> onDocumentChanged;

  void ShowMainWindow(bool restorePlacement) override { shown = true, restored = restorePlacement; }
  void EnableWindow(bool enable) override { enabled = enable; }
  bool IsWindowEnabled() const override { return enabled; }
  void SetDocumentTitle(const std::string& text) override { title = text; }
  void UpdateCommandStates() override { ++commandRefreshes; }
  void OnDocumentChanged(int track) override {
    ++changes;
    if (onDocumentChanged) onDocumentChanged(track);
  }
};
