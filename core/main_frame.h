#pragma once

#include <string>

// What the application core needs of the main window. The window front end
// implements it; the console front end has a frame without a window.
class CMainFrame {
 public:
  virtual ~CMainFrame() = default;
  // Shows the window, through its saved placement when restorePlacement is set.
  virtual void ShowMainWindow(bool restorePlacement) = 0;
  virtual void EnableWindow(bool enable) = 0;
  virtual bool IsWindowEnabled() const = 0;
  // The title's document part ("Untitled" when the project has no name).
  virtual void SetDocumentTitle(const std::string& title) = 0;
  // Re-evaluates which commands are enabled.
  virtual void UpdateCommandStates() = 0;
  // The document's track (its audio, positions or markers) changed, or became current.
  virtual void OnDocumentChanged(int /*track*/) { UpdateCommandStates(); }
};
