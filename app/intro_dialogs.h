#pragma once

#include <string>

#include "core/metronome_settings.h"
#include "platform/dialog_logic.h"

inline constexpr const char* IDC_AUDIO_PATH = "IDC_AUDIO_PATH";
inline constexpr const char* IDC_BROWSE = "IDC_BROWSE";
inline constexpr const char* IDC_AUDIO_DEVICE = "IDC_AUDIO_DEVICE";

// The welcome page of the first start ("Initialization Page 1 of 2").
class CIntroDialog : public platform::DialogLogic {
 public:
  CIntroDialog() : DialogLogic("intro_dialog") {}
};

// The settings page of the first start ("Initialization Page 2 of 2"): audio folder,
// audio device and metronome. OK writes the configuration file.
class CIntro2Dialog : public platform::DialogLogic {
 public:
  CIntro2Dialog() : DialogLogic("intro2_dialog") {}

  bool OnInitDialog() override;
  void OnCommand(const std::string& id) override;
  void OnOK() override { ApplySettings(); }
  void ApplySettings();

  // The folder proposed on the first start.
  static std::string DefaultAudioFolder();
};
