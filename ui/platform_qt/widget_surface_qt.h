#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/dialog_surface.h"
#include "ui/platform_qt/dialog_control_qt.h"

namespace platform {
class DialogLogic;
}

namespace ui {

// A widget of a layout that stands for a control: named, and not one of the parts
// that Qt's composite widgets make for themselves.
bool IsControl(const QWidget* widget);

// The controls of a loaded layout under one root widget, as the surface of a dialog's
// logic: a control is the widget whose object name is its id. Buttons named IDOK and
// IDCANCEL reach OnOK and OnCancel, other buttons OnCommand, combo box, list and tab
// selections OnSelChange, list double clicks OnDoubleClick, slider moves OnHScroll
// and leaving a line edit OnKillFocus; changes the program makes through the controls
// reach no handler. The logic is detached when this goes or when the root widget is
// destroyed; the root widget itself is not owned.
class WidgetSurface : public platform::DialogSurface {
 public:
  WidgetSurface(platform::DialogLogic& logic, QWidget* root);
  ~WidgetSurface() override;
  WidgetSurface(const WidgetSurface&) = delete;
  WidgetSurface& operator=(const WidgetSurface&) = delete;

  void AttachLogic(std::function<void(int)> endDialog);

  platform::DialogControl* GetDlgItem(const std::string& id) override;
  void SetWindowText(const std::string& caption) override;
  void CenterWindow() override {}

 protected:
  // Detaches the logic and drops every connection to it.
  void Disconnect();
  // Hands a user's action to the logic; changes the program makes itself are not
  // the user's.
  void Route(const std::function<void(platform::DialogLogic&)>& handler);

 private:
  void DetachLogic();
  void ConnectControls();

  platform::DialogLogic* m_logic;
  QPointer<QWidget> m_root;
  std::unique_ptr<QObject> m_router;
  std::map<std::string, std::unique_ptr<QtDialogControl>> m_controls;
  int m_changing = 0;
};

}  // namespace ui
