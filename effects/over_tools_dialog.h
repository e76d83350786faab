#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "effects/effect_preset.h"
#include "effects/effect_progress.h"
#include "effects/effect_result.h"
#include "effects/tool_host.h"
#include "platform/dialog_logic.h"

namespace effects {

inline constexpr const char* IDC_HIGHLIGHTED_SECTION = "IDC_HIGHLIGHTED_SECTION";
inline constexpr const char* IDC_BETWEEN_MARKERS = "IDC_BETWEEN_MARKERS";
inline constexpr const char* IDC_ENTIRE_FILE = "IDC_ENTIRE_FILE";
inline constexpr const char* IDC_SLIDER_VOLUME_LEFT1 = "IDC_SLIDER_VOLUME_LEFT1";
inline constexpr const char* IDC_SLIDER_VOLUME_RIGHT1 = "IDC_SLIDER_VOLUME_RIGHT1";
inline constexpr const char* IDC_SLIDER_VOLUME_LEFT2 = "IDC_SLIDER_VOLUME_LEFT2";
inline constexpr const char* IDC_SLIDER_VOLUME_RIGHT2 = "IDC_SLIDER_VOLUME_RIGHT2";
inline constexpr const char* IDC_SLIDER_DELAY_LEFT1 = "IDC_SLIDER_DELAY_LEFT1";
inline constexpr const char* IDC_SLIDER_DELAY_RIGHT1 = "IDC_SLIDER_DELAY_RIGHT1";
inline constexpr const char* IDC_DELAY_LEFT1 = "IDC_DELAY_LEFT1";
inline constexpr const char* IDC_DELAY_RIGHT1 = "IDC_DELAY_RIGHT1";
inline constexpr const char* IDC_SLIDER_VOICES = "IDC_SLIDER_VOICES";
inline constexpr const char* IDC_CHECK_LEFT1 = "IDC_CHECK_LEFT1";
inline constexpr const char* IDC_CHECK_RIGHT1 = "IDC_CHECK_RIGHT1";
inline constexpr const char* IDC_RADIO_LEFT_TO_RIGHT1 = "IDC_RADIO_LEFT_TO_RIGHT1";
inline constexpr const char* IDC_RADIO_RIGHT_TO_LEFT1 = "IDC_RADIO_RIGHT_TO_LEFT1";
inline constexpr const char* IDC_LOCK_CHANNELS = "IDC_LOCK_CHANNELS";
inline constexpr const char* IDC_PRESET_LIST = "IDC_PRESET_LIST";
inline constexpr const char* IDC_PRESET_NAME = "IDC_PRESET_NAME";
inline constexpr const char* IDC_ADD_PRESET = "IDC_ADD_PRESET";
inline constexpr const char* IDC_REMOVE_PRESET = "IDC_REMOVE_PRESET";

// The "Apply To" choices, by the numbers a tool's range choice is kept as.
inline constexpr int kApplyHighlight = 1089;
inline constexpr int kApplyMarkers = 2090;
inline constexpr int kApplyTrack = 1091;

// The dialog every sample-processing tool is: the range it applies to, the level, delay
// and voice sliders, the channel boxes, the copy direction and a preset list, each shown
// only by the tools that use it. One layout serves every tool; the controls and groups a
// tool does not use are hidden. A tool keeps its settings from one use to the next.
class COverToolsDialog : public platform::DialogLogic {
 public:
  COverToolsDialog(ToolHost& host, std::string className, std::string caption);

  // The tool's work on bytes [start, end) of the result file, in place. original holds
  // the track's untouched bytes at the same positions.
  virtual EffectResult PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                        EffectProgress& progress);
  // How much progress PerformOperation will report, known before any file exists.
  virtual uint32_t PerformOperation_ByteCount(uint32_t start, uint32_t end) const;

  bool OnInitDialog() override;
  void OnOK() override;
  void OnCommand(const std::string& id) override;
  void OnHScroll(const std::string& id) override;
  void OnKillFocus(const std::string& id) override;
  void OnDoubleClick(const std::string& id) override;

  // The byte range of the current track the range choice names; false without a document.
  bool GetOperationPositions(uint32_t* start, uint32_t* end) const;
  void GetDialogSettings();
  bool InitDialogSettings();
  // Reads the lock box into m_bLockChannels; 1 when it is checked.
  int GetLockStatus();
  void SetRange(const std::string& sliderId, int minimum, int maximum);
  // The slider's value text and position.
  void SetLevel(const std::string& sliderId, int value);

  // The built-in presets and the user's, read anew from the preset file.
  void LoadPresets();
  // The fields take the values of the preset of that name; false when there is none.
  bool ApplyPresetNamed(const std::string& name);
  // The current settings as a new user preset, written to the file; false after a message.
  bool AddPreset(const std::string& name);
  // Removes the user preset of that name from the file; false after a message.
  bool RemovePreset(const std::string& name);

  // The preset list.
  bool InitPresetList();
  void OnPresetChange();
  void OnAddPreset();
  void OnRemovePreset();
  // Rewrites the user presets, without the entry at skipIndex; false after a message.
  bool WritePresetFile(size_t skipIndex);
  std::string PresetFilePath() const;

  const std::string& ClassName() const { return m_className; }
  const std::string& Caption() const { return m_caption; }
  PresetTable& Presets() { return m_presets; }

  int m_nApplyTo = kApplyHighlight;
  bool m_bUsesLock = false;
  bool m_bLockChannels = false;
  bool m_bUsesLevel1 = false;
  int m_nLevel1Left = 0, m_nLevel1Right = 0, m_nLevel1Max = 0;
  bool m_bUsesLevel2 = false;
  int m_nLevel2Left = 0, m_nLevel2Right = 0, m_nLevel2Max = 0;
  bool m_bUsesDelay = false;
  uint32_t m_nDelayLeft = 0, m_nDelayRight = 0, m_nDelayMax = 0;
  bool m_bUsesVoices = false;
  int m_nVoices = 0;
  bool m_bUsesChannels = false;
  bool m_bChannelRight = false, m_bChannelLeft = false;
  bool m_bUsesDirection = false;
  bool m_bRightToLeft = false, m_bLeftToRight = false;
  bool m_bUsesPresets = false;
  std::string m_szPresetFile;  // base name, no folder and no extension
  bool m_bPresetsChanged = false;

  // The texts of the groups that tell what each pair means to this tool.
  std::string m_level1Title, m_level2Title, m_delayTitle;

 protected:
  // Writes a tool's built-ins into the first entries every time the dialog opens.
  virtual void FillBuiltInPresets() {}
  // The preset of a tool's settings, as the preset list stores them.
  EffectPreset CurrentSettings(const std::string& name) const;
  void ApplyPreset(const EffectPreset& preset);
  ToolHost& Host() { return m_host; }

 private:
  // The value text of a slider, and whether it shows a percentage; null for none.
  static const char* ValueText(const std::string& sliderId, bool* percent);
  static const char* Partner(const std::string& id);
  void ShowOnlyUsedControls();
  // A delay edit box's number, as the slider's unsigned value clamped to the maximum.
  uint32_t ReadDelay(const std::string& editId);
  void ApplyTypedDelay(const std::string& editId);

  ToolHost& m_host;
  std::string m_className;
  std::string m_caption;
  PresetTable m_presets;
  // Set while the dialog moves its own sliders, whose moves must not be taken as the user's.
  int m_nUpdating = 0;
};

}  // namespace effects
