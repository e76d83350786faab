#include "effects/tool_dialogs.h"

#include <optional>

#include "effects/level_effects.h"
#include "platform/last_error.h"

namespace effects {

namespace {

struct PresetValues {
  const char* name;
  bool lock;
  int level1Left, level1Right, level2Left, level2Right, delayLeft, delayRight, voices;
};

std::array<EffectPreset, PresetTable::kBuiltInCount> BuiltIns(const PresetValues (&values)[4]) {
  std::array<EffectPreset, PresetTable::kBuiltInCount> presets;
  for (size_t n = 0; n < presets.size(); ++n) {
    const PresetValues& v = values[n];
    presets[n].SetName(v.name);
    presets[n].lock = v.lock ? 1 : 0;
    presets[n].level1Left = v.level1Left;
    presets[n].level1Right = v.level1Right;
    presets[n].level2Left = v.level2Left;
    presets[n].level2Right = v.level2Right;
    presets[n].delayLeft = v.delayLeft;
    presets[n].delayRight = v.delayRight;
    presets[n].voices = v.voices;
  }
  return presets;
}

// Runs an effect on the result file (and the track's original bytes) through paged
// access, and makes a failed write a failure. A null file is reported under the tool's
// name with its message.
template <typename Effect>
EffectResult Run(COverToolsDialog& tool, ToolHost& host, const char* nullMessage, std::FILE* file,
                 std::FILE* original, bool needsOriginal, Effect&& effect) {
  if (!file || (needsOriginal && !original)) {
    host.ReportError(tool.ClassName() + "::PerformOperation", nullMessage);
    return EffectResult::Failed;
  }
  PagedFile result(file);
  std::optional<PagedFile> source;
  if (original) source.emplace(original);
  EffectResult done = effect(result, source ? &*source : nullptr);
  const bool flushed = result.Flush();
  if (done == EffectResult::NothingToDo) return done;
  // A read that failed would leave silence where the audio was: the effect fails.
  if (source && source->Failed()) {
    host.ReportError(tool.ClassName() + "::PerformOperation",
                     "The track could not be read. " + platform::SystemErrorText(source->Error()));
    return EffectResult::Failed;
  }
  if (!flushed) {
    host.ReportError(tool.ClassName() + "::PerformOperation",
                     "The result could not be written to the disk. " + platform::SystemErrorText(result.Error()));
    return EffectResult::Failed;
  }
  return done;
}

void UseLevels(COverToolsDialog& tool, int max, int left, int right, bool second) {
  (second ? tool.m_bUsesLevel2 : tool.m_bUsesLevel1) = true;
  (second ? tool.m_nLevel2Max : tool.m_nLevel1Max) = max;
  (second ? tool.m_nLevel2Left : tool.m_nLevel1Left) = left;
  (second ? tool.m_nLevel2Right : tool.m_nLevel1Right) = right;
}

void UseDelay(COverToolsDialog& tool, uint32_t max, uint32_t both) {
  tool.m_bUsesDelay = true;
  tool.m_nDelayMax = max;
  tool.m_nDelayLeft = tool.m_nDelayRight = both;
}

void UseLock(COverToolsDialog& tool) {
  tool.m_bUsesLock = tool.m_bLockChannels = true;
}

void UseChannels(COverToolsDialog& tool) {
  tool.m_bUsesChannels = tool.m_bChannelLeft = tool.m_bChannelRight = true;
}

}  // namespace

CVolumeDialog::CVolumeDialog(ToolHost& host) : COverToolsDialog(host, "CVolumeDialog", "Adjust Volume") {
  UseLock(*this);
  UseLevels(*this, 300, 100, 100, false);
  m_level1Title = "Adjust Volume By Percentage";
}

EffectResult CVolumeDialog::PerformOperation(std::FILE* file, std::FILE*, uint32_t start, uint32_t end,
                                             EffectProgress& progress) {
  return Run(*this, Host(), "Pointer to file is NULL", file, nullptr, false, [&](PagedFile& result, PagedFile*) {
    return AdjustVolume(result, start, end, {m_nLevel1Left, m_nLevel1Right}, progress);
  });
}

CFadeDialog::CFadeDialog(ToolHost& host) : COverToolsDialog(host, "CFadeDialog", "Fade In/Out") {
  UseLock(*this);
  UseLevels(*this, 300, 100, 100, false);
  UseLevels(*this, 300, 0, 0, true);
  m_level1Title = "Starting Volume Level";
  m_level2Title = "Ending Volume Level";
}

EffectResult CFadeDialog::PerformOperation(std::FILE* file, std::FILE*, uint32_t start, uint32_t end,
                                           EffectProgress& progress) {
  return Run(*this, Host(), "Pointer to passed in file is null.", file, nullptr, false, [&](PagedFile& result, PagedFile*) {
    return Fade(result, start, end, {m_nLevel1Left, m_nLevel1Right}, {m_nLevel2Left, m_nLevel2Right}, progress);
  });
}

CMuteDialog::CMuteDialog(ToolHost& host) : COverToolsDialog(host, "CMuteDialog", "Mute Audio") {
  UseChannels(*this);
}

EffectResult CMuteDialog::PerformOperation(std::FILE* file, std::FILE*, uint32_t start, uint32_t end,
                                           EffectProgress& progress) {
  return Run(*this, Host(), "File pointer is NULL", file, nullptr, false, [&](PagedFile& result, PagedFile*) {
    return Mute(result, start, end, {m_bChannelLeft, m_bChannelRight}, progress);
  });
}

CReverseDialog::CReverseDialog(ToolHost& host) : COverToolsDialog(host, "CReverseDialog", "Reverse Audio") {
  UseChannels(*this);
}

EffectResult CReverseDialog::PerformOperation(std::FILE* file, std::FILE*, uint32_t start, uint32_t end,
                                              EffectProgress& progress) {
  return Run(*this, Host(), "Pointer to file is NULL", file, nullptr, false, [&](PagedFile& result, PagedFile*) {
    return Reverse(result, start, end, {m_bChannelLeft, m_bChannelRight}, progress);
  });
}

CSwapDialog::CSwapDialog(ToolHost& host) : COverToolsDialog(host, "CSwapDialog", "Swap Right and Left Channels") {}

EffectResult CSwapDialog::PerformOperation(std::FILE* file, std::FILE*, uint32_t start, uint32_t end,
                                           EffectProgress& progress) {
  return Run(*this, Host(), "Pointer to file is NULL", file, nullptr, false,
             [&](PagedFile& result, PagedFile*) { return SwapChannels(result, start, end, progress); });
}

CCopyChannelDialog::CCopyChannelDialog(ToolHost& host) : COverToolsDialog(host, "CCopyChannelDialog", "Copy Channel") {
  m_bUsesDirection = m_bLeftToRight = true;
}

EffectResult CCopyChannelDialog::PerformOperation(std::FILE* file, std::FILE*, uint32_t start, uint32_t end,
                                                  EffectProgress& progress) {
  return Run(*this, Host(), "Pointer to passed in file is null.", file, nullptr, false, [&](PagedFile& result, PagedFile*) {
    return CopyChannel(result, start, end, m_bRightToLeft && !m_bLeftToRight, progress);
  });
}

RepeatSettings CRepeatToolDialog::Settings() const {
  return {{m_nLevel1Left, m_nLevel2Left, static_cast<int>(m_nDelayLeft)},
          {m_nLevel1Right, m_nLevel2Right, static_cast<int>(m_nDelayRight)}};
}

CEchoDialog::CEchoDialog(ToolHost& host) : CRepeatToolDialog(host, "CEchoDialog", "Echo / Delay Effect") {
  UseLock(*this);
  UseLevels(*this, 100, 100, 100, false);
  UseLevels(*this, 100, 50, 50, true);
  UseDelay(*this, 2500, 850);
  m_bUsesPresets = true;
  m_szPresetFile = "echo";
  m_level1Title = "Initial Ratio - Volume Level of the Echo";
  m_level2Title = "Wet Ratio - Rate of deterioration of the echo";
  m_delayTitle = "Delay in Milliseconds - Amount of time between echoes";
}

void CEchoDialog::FillBuiltInPresets() {
  Presets().SetBuiltIns(BuiltIns({{"Canyon Echo", true, 100, 100, 50, 50, 850, 850, 0},
                                  {"Small Room", true, 100, 100, 50, 50, 10, 10, 0},
                                  {"Auditorium", false, 100, 100, 80, 20, 60, 60, 0},
                                  {"Crystalized", true, 100, 100, 5, 5, 2, 2, 0}}));
}

EffectResult CEchoDialog::PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                           EffectProgress& progress) {
  return Run(*this, Host(), "Pointer to file is NULL", file, original, true, [&](PagedFile& result, PagedFile* source) {
    return Echo(result, *source, start, end, Settings(), progress);
  });
}

uint32_t CEchoDialog::PerformOperation_ByteCount(uint32_t start, uint32_t end) const {
  return EchoByteCount(start, end, Settings());
}

CReverbDialog::CReverbDialog(ToolHost& host) : CRepeatToolDialog(host, "CReverbDialog", "Reverb Effect") {
  UseLock(*this);
  UseLevels(*this, 100, 80, 80, false);
  UseLevels(*this, 100, 80, 80, true);
  UseDelay(*this, 1000, 83);
  m_bUsesPresets = true;
  m_szPresetFile = "echo";
  m_level1Title = "Initial Ratio";
  m_level2Title = "Wet Ratio - Rate of deterioration";
  m_delayTitle = "Delay in Milliseconds - Amount of time between";
}

void CReverbDialog::FillBuiltInPresets() {
  Presets().SetBuiltIns(BuiltIns({{"Large Cathedral", false, 96, 83, 48, 40, 146, 183, 0},
                                  {"Small Room", true, 95, 95, 47, 47, 70, 70, 0},
                                  {"The Abyss", false, 20, 96, 38, 45, 215, 102, 0},
                                  {"Robotic", true, 10, 10, 10, 10, 4, 4, 0}}));
}

EffectResult CReverbDialog::PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                             EffectProgress& progress) {
  return Run(*this, Host(), "Pointer to file is NULL", file, original, true, [&](PagedFile& result, PagedFile* source) {
    return Reverb(result, *source, start, end, Settings(), progress);
  });
}

uint32_t CReverbDialog::PerformOperation_ByteCount(uint32_t start, uint32_t end) const {
  return ReverbByteCount(start, end, Settings());
}

CMultiVoiceDialog::CMultiVoiceDialog(ToolHost& host) : CRepeatToolDialog(host, "CMultiVoiceDialog", "Multi Voice Effect") {
  UseLock(*this);
  UseLevels(*this, 100, 100, 100, false);
  UseLevels(*this, 100, 90, 90, true);
  UseDelay(*this, 1000, 90);
  m_bUsesVoices = true;
  m_nVoices = 3;
  m_bUsesPresets = true;
  m_szPresetFile = "multi_voice";
  m_level1Title = "Initial Ratio - Volume Level of the Initial Voice";
  m_level2Title = "Wet Ratio - Volume of the Additional Voices";
  m_delayTitle = "Delay in Milliseconds Between Voices";
}

void CMultiVoiceDialog::FillBuiltInPresets() {
  Presets().SetBuiltIns(BuiltIns({{"Simple Chorus I", true, 80, 80, 80, 80, 83, 83, 1},
                                  {"Simple Chorus II", true, 45, 45, 60, 60, 45, 45, 2},
                                  {"Hallway", false, 35, 40, 35, 40, 22, 17, 6},
                                  {"Computer", true, 30, 30, 30, 30, 10, 10, 10}}));
}

EffectResult CMultiVoiceDialog::PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                                 EffectProgress& progress) {
  return Run(*this, Host(), "Pointer to file is NULL", file, original, true, [&](PagedFile& result, PagedFile* source) {
    return MultiVoice(result, *source, start, end, Settings(), m_nVoices, progress);
  });
}

uint32_t CMultiVoiceDialog::PerformOperation_ByteCount(uint32_t start, uint32_t end) const {
  return MultiVoiceByteCount(start, end, Settings(), m_nVoices);
}

}  // namespace effects
