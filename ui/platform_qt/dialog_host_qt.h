#pragma once

#include <QStringList>
#include <memory>
#include <string>

#include "platform/dialog_host.h"

class QDialog;
class QWidget;

namespace ui {

// Runs dialogs on the layouts compiled into the program (ui/dialogs/<layout>.ui):
// the widget whose object name is a control's id is that control; buttons named
// IDOK and IDCANCEL, Enter, Escape and the window's close button reach OnOK and
// OnCancel, other buttons OnCommand, combo box and list selections OnSelChange, list
// double clicks OnDoubleClick, slider moves OnHScroll and leaving a line edit
// OnKillFocus. A modal dialog returns the code given to EndDialog (IDCANCEL when it
// went without one, -1 when its layout is missing); a modeless one stays up until its
// handle is destroyed, and EndDialog only hides it.
class QtDialogHost : public platform::DialogHost {
 public:
  int RunModal(platform::DialogLogic& logic) override;
  std::unique_ptr<platform::ModelessDialog> CreateModeless(platform::DialogLogic& logic) override;
  std::unique_ptr<platform::ModelessDialog> CreatePage(platform::DialogLogic& page, platform::DialogLogic& owner,
                                                       const std::string& containerId) override;
};

// The names of the compiled-in layouts, without folder and extension.
QStringList DialogLayoutNames();
// A dialog built from a compiled-in layout, without a host; null when there is none.
std::unique_ptr<QDialog> LoadDialogLayout(const std::string& layout);
// A compiled-in layout as a plain widget, to be placed inside another window; null
// when there is none.
std::unique_ptr<QWidget> LoadLayoutWidget(const std::string& layout);

}  // namespace ui
