#pragma once

#include <array>
#include <memory>

#include "app/settings/audio_io_page.h"
#include "app/settings/audio_path_page.h"
#include "app/settings/color_settings_page.h"
#include "app/settings/time_display_page.h"
#include "platform/dialog_host.h"
#include "platform/dialog_logic.h"

inline constexpr const char* IDC_SETTINGS_TABS = "IDC_SETTINGS_TABS";

// "Application Settings": a tab control with the pages Audio Path, Color Settings,
// Time Display and I/O Audio Device. The first page is shown on opening; each page is
// created the first time its tab is selected, and on OK the pages that were shown
// apply their values. The pages outlive the dialog (the device page remembers how many
// input devices it saw).
class CAppSettingsDialog : public platform::DialogLogic {
 public:
  static constexpr int kPages = 4;
  // The tab control's page widgets, in tab order.
  static constexpr const char* kPageContainers[kPages] = {"IDC_PAGE_AUDIO_PATH", "IDC_PAGE_COLOR_SETTINGS",
                                                          "IDC_PAGE_TIME_DISPLAY", "IDC_PAGE_AUDIO_IO"};

  CAppSettingsDialog() : DialogLogic("app_settings_dialog") {}
  bool OnInitDialog() override;
  void OnSelChange(const std::string& id) override;
  void OnOK() override;
  void OnCancel() override;

  // Creates the page of a tab the first time it is selected.
  void ActivateTabDialogs(int page);

  CAudioPathDialog m_audioPath;
  CColorSettings m_colorSettings;
  CTimeDisplayDialog m_timeDisplay;
  CAudioIODialog m_audioIO;

 private:
  CSettingsPage& Page(int page);
  void ClosePages();

  std::array<std::unique_ptr<platform::ModelessDialog>, kPages> m_pages;
};
