#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "app/settings/settings_page.h"

inline constexpr const char* IDC_BODY_COLOR = "IDC_BODY_COLOR";
inline constexpr const char* IDC_OUTLINE_COLOR = "IDC_OUTLINE_COLOR";
inline constexpr const char* IDC_MARKER_COLOR = "IDC_MARKER_COLOR";
// The track radio buttons are IDC_COLOR_TRACK1 to IDC_COLOR_TRACK8.
std::string ColorTrackButton(int track);

// "Color Settings": the body, outline and marker colour of each track, as indexes into
// the colour table. The page edits a copy that replaces the application's on OK.
class CColorSettings : public CSettingsPage {
 public:
  static constexpr int kTracks = 8;
  using Indexes = std::array<int16_t, kTracks>;

  CColorSettings() : CSettingsPage("color_settings_page") {}
  bool OnInitDialog() override;
  void OnCommand(const std::string& id) override;
  void OnSelChange(const std::string& id) override;
  void Apply(CMixerApp& app) override;

 private:
  // Shows the checked track's three colours in the combo boxes.
  void ShowTrack(int track);
  // The combo boxes, each with the copy it edits.
  std::array<std::pair<const char*, Indexes*>, 3> Fields();

  Indexes m_body{}, m_outline{}, m_marker{};
  int m_track = 0;
};
