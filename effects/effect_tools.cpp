#include "effects/effect_tools.h"

namespace effects {

EffectTools::EffectTools(ToolHost& host)
    : m_volume(host),
      m_fade(host),
      m_mute(host),
      m_reverse(host),
      m_swap(host),
      m_copyChannel(host),
      m_multiVoice(host),
      m_echo(host),
      m_reverb(host),
      m_entries{{7, "volume", &m_volume},          {8, "fade", &m_fade},
                {9, "mute", &m_mute},              {10, "reverse", &m_reverse},
                {24, "swap", &m_swap},             {25, "copy-channel", &m_copyChannel},
                {26, "multi-voice", &m_multiVoice}, {27, "echo", &m_echo},
                {28, "reverb", &m_reverb}} {}

COverToolsDialog* EffectTools::ForOperation(int operation) const {
  for (const Entry& entry : m_entries) {
    if (entry.operation == operation) return entry.tool;
  }
  return nullptr;
}

COverToolsDialog* EffectTools::ForName(const std::string& name) const {
  for (const Entry& entry : m_entries) {
    if (name == entry.name) return entry.tool;
  }
  return nullptr;
}

}  // namespace effects
