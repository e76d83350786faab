#include "app/recording/punch_in_warning_dialog.h"

#include "core/errors.h"
#include "platform/system.h"

namespace {

template <typename Dialog>
void ShowHint(const char* text) {
  if (!platform::Os().interactive) {
    ShowInformation(text);
    return;
  }
  Dialog dialog;
  dialog.DoModal();
}

}  // namespace

void CPunchInWarningDialog::Show() {
  ShowHint<CPunchInWarningDialog>(kPunchInWarningText);
}

void CArmDialog::Show() {
  ShowHint<CArmDialog>(kArmHintText);
}
