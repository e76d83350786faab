#pragma once

#include "platform/dialog_logic.h"

class CMixerDoc;

inline constexpr const char* IDC_PROJ_DESCRIPTION = "IDC_PROJ_DESCRIPTION";
inline constexpr const char* IDC_PROJ_AUDIO_PATH = "IDC_PROJ_AUDIO_PATH";
inline constexpr const char* IDC_PROJ_TEMP_PATH = "IDC_PROJ_TEMP_PATH";
inline constexpr const char* IDC_PROJ_LENGTH_TIME = "IDC_PROJ_LENGTH_TIME";
inline constexpr const char* IDC_PROJ_LENGTH_BEATS = "IDC_PROJ_LENGTH_BEATS";
inline constexpr const char* IDC_PROJ_LENGTH_SAMPLES = "IDC_PROJ_LENGTH_SAMPLES";
inline constexpr const char* IDC_PROJ_BPM = "IDC_PROJ_BPM";
inline constexpr const char* IDC_PROJ_TIMING = "IDC_PROJ_TIMING";

// "Project Settings": what the open project is, where it lives and how long it is. It
// changes nothing.
class CProjectSettingsDialog : public platform::DialogLogic {
 public:
  CProjectSettingsDialog() : DialogLogic("project_settings_dialog") {}
  // The document it works on, given by the workspace that holds it; null without one.
  CMixerDoc* m_pDocument = nullptr;
  bool OnInitDialog() override;
};
