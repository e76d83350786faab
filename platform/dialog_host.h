#pragma once

#include <memory>
#include <string>

namespace platform {

class DialogLogic;

// Result codes of a modal dialog.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// A modeless dialog window that lives until it is destroyed.
class ModelessDialog {
 public:
  virtual ~ModelessDialog() = default;
};

// Shows dialogs whose logic is a DialogLogic: builds the window from the logic's
// layout, hands the logic its surface, routes the user's actions to the logic's
// handlers and, for a modal dialog, returns the code passed to EndDialog.
class DialogHost {
 public:
  virtual ~DialogHost() = default;
  virtual int RunModal(DialogLogic& logic) = 0;
  // Null when the window cannot be created.
  virtual std::unique_ptr<ModelessDialog> CreateModeless(DialogLogic& logic) = 0;
  // Shows a page's layout inside the control containerId of the open dialog owner (a
  // page of its tab control), then attaches and initialises the page's logic. The page
  // lives until its handle goes or the owner's window closes; EndDialog does nothing
  // on it. Null when the owner has no window, lacks the container, or the page's
  // layout is missing.
  virtual std::unique_ptr<ModelessDialog> CreatePage(DialogLogic& page, DialogLogic& owner,
                                                     const std::string& containerId) = 0;
};

}  // namespace platform
