#pragma once

#include "platform/dialog_logic.h"

inline constexpr const char* kPunchInWarningText =
    "In order to use the punch in/out feature, recording must start at least 2 seconds before the begin marker.";
inline constexpr const char* kArmHintText =
    "Please 'Arm' a track before recording.  Simply press the 'Arm' button of any track as shown to the right.";

// The modal "Punch In/Out Feature Error" dialog.
class CPunchInWarningDialog : public platform::DialogLogic {
 public:
  CPunchInWarningDialog() : DialogLogic("punch_in_warning_dialog") {}
  // Shows the dialog; where nobody sees dialogs (the console), its text as a message.
  static void Show();
};

// The modal "Please 'Arm' a Track" hint, with a picture of the Arm button.
class CArmDialog : public platform::DialogLogic {
 public:
  CArmDialog() : DialogLogic("arm_dialog") {}
  static void Show();
};
