#pragma once

#include "app/settings/settings_page.h"

inline constexpr const char* IDC_SETTINGS_AUDIO_PATH = "IDC_AUDIO_PATH";
inline constexpr const char* IDC_SETTINGS_BROWSE = "IDC_BROWSE";

// "Audio Path": the folder that projects and recordings go to from the next start.
class CAudioPathDialog : public CSettingsPage {
 public:
  CAudioPathDialog() : CSettingsPage("audio_path_page") {}
  bool OnInitDialog() override;
  void OnCommand(const std::string& id) override;
  bool CanApply(const CMixerApp& app) override;
  void Apply(CMixerApp& app) override;
};
