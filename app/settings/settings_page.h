#pragma once

#include "platform/dialog_logic.h"

class CMixerApp;

// One page of the Application Settings dialog: a dialog of its own, shown inside the
// settings dialog's tab control. A page applies its values only when it was shown.
class CSettingsPage : public platform::DialogLogic {
 public:
  using DialogLogic::DialogLogic;
  // On the settings dialog's OK, before any page applies: false keeps the dialog open
  // (the page has told the user why).
  virtual bool CanApply(const CMixerApp& /*app*/) { return true; }
  // On the settings dialog's OK, while the page is still up.
  virtual void Apply(CMixerApp& app) = 0;
};
