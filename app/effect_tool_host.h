#pragma once

#include "effects/tool_host.h"

class CMixerApp;

// What the tool dialogs need of the application: the current track's positions, the
// folder of the preset files, and the program's messages.
class EffectToolHost : public effects::ToolHost {
 public:
  explicit EffectToolHost(CMixerApp& app) : m_app(app) {}

  std::optional<effects::TrackRange> CurrentTrack() const override;
  std::string PresetFolder() const override;
  void ShowInformation(const std::string& text) override;
  void ReportError(const std::string& location, const std::string& message) override;

 private:
  CMixerApp& m_app;
};
