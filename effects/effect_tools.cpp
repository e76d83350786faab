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
      m_entries{{Operation::kVolume, "volume", &m_volume},
                {Operation::kFade, "fade", &m_fade},
                {Operation::kMute, "mute", &m_mute},
                {Operation::kReverse, "reverse", &m_reverse},
                {Operation::kSwap, "swap", &m_swap},
                {Operation::kCopyChannel, "copy-channel", &m_copyChannel},
                {Operation::kMultiVoice, "multi-voice", &m_multiVoice},
                {Operation::kEcho, "echo", &m_echo},
                {Operation::kReverb, "reverb", &m_reverb}} {}

COverToolsDialog* EffectTools::ForOperation(Operation operation) const {
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
