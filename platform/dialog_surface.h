#pragma once

#include <string>
#include <vector>

namespace platform {

// One control of a dialog, found by its id (the IDC_ name that the dialog layout gives
// its widget as object name). Every setter is harmless on a control that lacks the
// property (a text on a slider, say).
class DialogControl {
 public:
  virtual ~DialogControl() = default;

  virtual std::string GetText() const = 0;
  virtual void SetText(const std::string& text) = 0;

  virtual bool IsChecked() const = 0;
  virtual void SetChecked(bool checked) = 0;

  virtual bool IsEnabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual void SetVisible(bool visible) = 0;

  // Sliders, scroll bars and progress bars.
  virtual void SetRange(int minimum, int maximum) = 0;
  virtual void SetPos(int position) = 0;
  virtual int GetPos() const = 0;
  virtual void SetPageSize(int page) = 0;

  // Combo boxes and list boxes.
  virtual void ResetContent() = 0;
  virtual int AddString(const std::string& item) = 0;
  virtual int GetCount() const = 0;
  virtual int GetCurSel() const = 0;  // -1 when nothing is selected
  virtual void SetCurSel(int index) = 0;
  virtual std::string GetItemText(int index) const = 0;
};

// The controls of one open dialog window.
class DialogSurface {
 public:
  virtual ~DialogSurface() = default;
  // The control with this id, or null when the layout has none.
  virtual DialogControl* GetDlgItem(const std::string& id) = 0;
  virtual void SetWindowText(const std::string& caption) = 0;
  // Places the dialog over the centre of the main window.
  virtual void CenterWindow() = 0;
};

}  // namespace platform
