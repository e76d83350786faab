#include "app/settings/time_display_page.h"

#include "core/errors.h"
#include "app/mixer_app.h"
#include "core/time_format.h"

namespace {
// The buttons in the order of the display types they stand for.
constexpr const char* kButtons[] = {IDC_TIME, IDC_BEATS, IDC_SAMPLES};
}  // namespace

bool CTimeDisplayDialog::OnInitDialog() {
  CMixerApp* app = CMixerApp::Get();
  if (!app) {
    ReportMissingObject("app", "CTimeDisplayDialog::OnInitDialog");
    return true;
  }
  for (int type = kDisplayTime; type <= kDisplaySamples; ++type) {
    platform::DialogControl* button = GetDlgItem(kButtons[type]);
    if (!button) {
      ReportError("CTimeDisplayDialog::OnInitDialog", std::string("Button ") + kButtons[type] + " is NULL.");
      return true;
    }
    button->SetChecked(app->m_config.timeDisplayType == type);
  }
  return true;
}

void CTimeDisplayDialog::Apply(CMixerApp& app) {
  for (int type = kDisplayTime; type <= kDisplaySamples; ++type) {
    platform::DialogControl* button = GetDlgItem(kButtons[type]);
    if (button && button->IsChecked()) app.m_config.timeDisplayType = static_cast<int16_t>(type);
  }
}
