#include "app/settings/color_settings_page.h"

#include <algorithm>

#include "core/errors.h"
#include "app/mixer_app.h"
#include "document/mixer_doc.h"

std::array<std::pair<const char*, CColorSettings::Indexes*>, 3> CColorSettings::Fields() {
  return {{{IDC_BODY_COLOR, &m_body}, {IDC_OUTLINE_COLOR, &m_outline}, {IDC_MARKER_COLOR, &m_marker}}};
}

std::string ColorTrackButton(int track) {
  return "IDC_COLOR_TRACK" + std::to_string(track + 1);
}

bool CColorSettings::OnInitDialog() {
  CMixerApp* app = CMixerApp::Get();
  if (!app) {
    ReportMissingObject("app", "CColorSettings::OnInitDialog");
    return true;
  }
  m_body = app->m_config.waveColour;
  m_outline = app->m_config.outlineColour;
  m_marker = app->m_config.markerColour;
  for (const auto& [id, indexes] : Fields()) {
    platform::DialogControl* combo = GetDlgItem(id);
    if (!combo) {
      ReportError("CColorSettings::OnInitDialog", std::string("Failed to get combo box for ") + id);
      return true;
    }
    combo->ResetContent();
    for (const ColourEntry& entry : app->m_colourTable.entries) combo->AddString(entry.name);
  }
  m_track = app->m_pDocument ? std::clamp<int>(app->m_pDocument->m_nCurrentTrack, 0, kTracks - 1) : 0;
  for (int track = 0; track < kTracks; ++track) {
    platform::DialogControl* button = GetDlgItem(ColorTrackButton(track));
    if (!button) {
      ReportError("CColorSettings::OnInitDialog", "Failed to get color button.");
      return true;
    }
    button->SetChecked(track == m_track);
  }
  ShowTrack(m_track);
  return true;
}

void CColorSettings::ShowTrack(int track) {
  m_track = track;
  const auto slot = static_cast<size_t>(track);
  for (const auto& [id, indexes] : Fields()) {
    if (platform::DialogControl* combo = GetDlgItem(id)) combo->SetCurSel((*indexes)[slot]);
  }
}

void CColorSettings::OnCommand(const std::string& id) {
  for (int track = 0; track < kTracks; ++track) {
    if (id == ColorTrackButton(track)) ShowTrack(track);
  }
}

void CColorSettings::OnSelChange(const std::string& id) {
  const auto slot = static_cast<size_t>(m_track);
  for (const auto& [combo, indexes] : Fields()) {
    if (id != combo) continue;
    platform::DialogControl* control = GetDlgItem(combo);
    const int chosen = control ? control->GetCurSel() : -1;
    if (chosen >= 0 && chosen < CColourTable::kCount) (*indexes)[slot] = static_cast<int16_t>(chosen);
  }
}

void CColorSettings::Apply(CMixerApp& app) {
  app.m_config.waveColour = m_body;
  app.m_config.outlineColour = m_outline;
  app.m_config.markerColour = m_marker;
}
