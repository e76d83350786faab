#pragma once

#include <functional>
#include <string>

#include "platform/dialog_host.h"
#include "platform/dialog_surface.h"

namespace platform {

// Base of every dialog's logic. The logic holds the dialog's fields and handlers and
// reaches its controls through the surface that a DialogHost attaches while the
// window exists. Buttons named IDOK and IDCANCEL reach OnOK and OnCancel; every other
// button, check box and radio button reaches OnCommand with its id.
class DialogLogic {
 public:
  explicit DialogLogic(std::string layout) : m_layout(std::move(layout)) {}
  virtual ~DialogLogic() = default;
  DialogLogic(const DialogLogic&) = delete;
  DialogLogic& operator=(const DialogLogic&) = delete;

  // The name of the dialog's layout file, without folder and extension.
  const std::string& Layout() const { return m_layout; }

  virtual bool OnInitDialog() { return true; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  virtual void OnCommand(const std::string& /*id*/) {}
  virtual void OnHScroll(const std::string& /*id*/) {}
  virtual void OnKillFocus(const std::string& /*id*/) {}
  virtual void OnDoubleClick(const std::string& /*id*/) {}
  virtual void OnSelChange(const std::string& /*id*/) {}

  // Runs the dialog modally through the system's dialog host.
  int DoModal();
  void EndDialog(int result);

  // Null while no window exists or when the layout lacks the control.
  DialogControl* GetDlgItem(const std::string& id);
  DialogSurface* Surface() { return m_surface; }
  bool HasWindow() const { return m_surface != nullptr; }

  // Used by dialog hosts only.
  void Attach(DialogSurface* surface, std::function<void(int)> endDialog);
  void Detach();

 private:
  std::string m_layout;
  DialogSurface* m_surface = nullptr;
  std::function<void(int)> m_endDialog;
};

}  // namespace platform
