#pragma once

#include "app/settings/settings_page.h"

inline constexpr const char* IDC_TIME = "IDC_TIME";
inline constexpr const char* IDC_BEATS = "IDC_BEATS";
inline constexpr const char* IDC_SAMPLES = "IDC_SAMPLES";

// "Time Display": whether positions read as time, beats or samples.
class CTimeDisplayDialog : public CSettingsPage {
 public:
  CTimeDisplayDialog() : CSettingsPage("time_display_page") {}
  bool OnInitDialog() override;
  void Apply(CMixerApp& app) override;
};
