#pragma once

#include <string>
#include <vector>

#include "core/operation.h"
#include "effects/tool_dialogs.h"

namespace effects {

// The nine tools of the program, each with the operation number the dispatcher runs it
// as and the name the command line knows it by. They live as long as the program, so
// a tool's last settings stay in force from one use to the next.
class EffectTools {
 public:
  explicit EffectTools(ToolHost& host);
  EffectTools(const EffectTools&) = delete;
  EffectTools& operator=(const EffectTools&) = delete;

  struct Entry {
    Operation operation;
    const char* name;
    COverToolsDialog* tool;
  };
  const std::vector<Entry>& Entries() const { return m_entries; }
  // Null for an operation or a name that is no tool's.
  COverToolsDialog* ForOperation(Operation operation) const;
  COverToolsDialog* ForName(const std::string& name) const;

  CVolumeDialog m_volume;
  CFadeDialog m_fade;
  CMuteDialog m_mute;
  CReverseDialog m_reverse;
  CSwapDialog m_swap;
  CCopyChannelDialog m_copyChannel;
  CMultiVoiceDialog m_multiVoice;
  CEchoDialog m_echo;
  CReverbDialog m_reverb;

 private:
  std::vector<Entry> m_entries;
};

}  // namespace effects
