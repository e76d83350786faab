#pragma once

#include <optional>

#include "app/settings/settings_page.h"

inline constexpr const char* IDC_INPUT_DEVICE = "IDC_INPUT_DEVICE";
inline constexpr const char* IDC_OUTPUT_DEVICE = "IDC_OUTPUT_DEVICE";

// "I/O Audio Device": the wave input device recordings come from (changed at once) and
// the output device playback uses (from the next start).
class CAudioIODialog : public CSettingsPage {
 public:
  CAudioIODialog() : CSettingsPage("audio_io_page") {}
  bool OnInitDialog() override;
  void Apply(CMixerApp& app) override;

 private:
  // The number of input devices when the page was last opened.
  std::optional<unsigned> m_inputCount;
};
