#include "app/effect_tool_host.h"

#include "core/errors.h"
#include "app/mixer_app.h"
#include "document/mixer_doc.h"
#include "platform/folders.h"
#include "platform/system.h"

std::optional<effects::TrackRange> EffectToolHost::CurrentTrack() const {
  const CMixerDoc* doc = m_app.m_pDocument;
  if (!doc) return std::nullopt;
  const TrackPositions& pos = doc->m_mirror;
  return effects::TrackRange{pos.m_nHighlightBegin, pos.m_nHighlightEnd, pos.m_nMarkerBegin, pos.m_nMarkerEnd,
                             pos.m_nLength};
}

std::string EffectToolHost::PresetFolder() const {
  platform::Folders* folders = platform::Os().folders;
  return folders ? folders->WritableDataFolder() : ".";
}

void EffectToolHost::ShowInformation(const std::string& text) {
  ::ShowInformation(text);
}

void EffectToolHost::ReportError(const std::string& location, const std::string& message) {
  ::ReportError(location, message);
}
