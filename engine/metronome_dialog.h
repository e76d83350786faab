#pragma once

#include <cstdint>
#include <string>

#include "core/metronome_settings.h"
#include "engine/metronome_clicks.h"
#include "platform/dialog_logic.h"

struct MixerConfig;
namespace platform {
class Folders;
}

inline constexpr const char* IDC_METRO_FOUR = "IDC_METRO_FOUR";
inline constexpr const char* IDC_METRO_THREE = "IDC_METRO_THREE";
inline constexpr const char* IDC_METRO_NONE = "IDC_METRO_NONE";
inline constexpr const char* IDC_METRO_BEAT = "IDC_METRO_BEAT";
inline constexpr const char* IDC_METRO_STICK = "IDC_METRO_STICK";
inline constexpr const char* IDC_METRO_ACCENT = "IDC_METRO_ACCENT";
inline constexpr const char* IDC_METRO_BPM_SLIDER = "IDC_METRO_BPM_SLIDER";
inline constexpr const char* IDC_METRO_BPM_VALUE = "IDC_METRO_BPM_VALUE";
inline constexpr const char* IDC_METRO_LEVEL_SLIDER = "IDC_METRO_LEVEL_SLIDER";
inline constexpr const char* IDC_METRO_LEVEL_VALUE = "IDC_METRO_LEVEL_VALUE";

// "Metronome Settings", and the metronome itself: its fields are the live settings
// that a take's playback mixes the clicks with. The tempo and level sliders act on the
// clicks at once; OK puts every setting into the configuration record, Cancel takes
// back what the sliders changed.
class CMetronomeDialog : public platform::DialogLogic {
 public:
  static constexpr int kMinTempo = 20, kMaxTempo = 260;
  static constexpr int kMaxLevel = 60;  // the silent end of the level table

  // config: the configuration record that holds the settings between runs.
  explicit CMetronomeDialog(MixerConfig& config) : DialogLogic("metronome_dialog"), m_config(config) {}

  // Reads the four click files (the first 8192 bytes of each) from the program's
  // data folders. A file that is missing or shorter leaves its click silent and the
  // metronome off; the first time the metronome is then to be switched on, one report
  // names every such file.
  void LoadSamples(platform::Folders* folders);
  bool SamplesMissing() const { return m_clicks.ClicksMissing(); }

  // Takes the metronome settings of the record as the live ones; the beat count and
  // the cut clicks start afresh. Without the clicks the metronome stays off.
  void ApplySettings();
  // What OK does with the settings chosen: into the record, then applied.
  void Accept(const MetronomeSettings& settings);
  const MetronomeSettings& Settings() const { return m_settings; }
  // Whether the clicks sound in a take (on, and every click loaded).
  bool IsOn() const { return m_clicks.Current().on; }

  // A take begins: its beats are counted from its own position.
  void StartTake() { m_clicks.StartTake(); }
  // Adds the clicks of the half-second buffer (MetronomeClicks::kBufferBytes) that
  // starts at the project position, at the metronome's level.
  void Mix(int16_t* buffer, uint32_t position);
  MetronomeClicks& Clicks() { return m_clicks; }

  bool OnInitDialog() override;
  void OnHScroll(const std::string& id) override;
  void OnOK() override;
  void OnCancel() override;

  // A slider's position with its value field; false (reported) when the slider is missing.
  bool SetLevel(const char* sliderId, int value);
  bool SetRange(const char* sliderId, int minimum, int maximum);

 private:
  void ShowTempo(int tempo);
  void ShowLevel(int sliderPosition);

  MixerConfig& m_config;
  MetronomeSettings m_settings;
  MetronomeSettings m_saved;  // as the dialog opened, for Cancel
  MetronomeClicks m_clicks;
  // The report of the click files that could not be read; emptied once shown.
  std::string m_missingReport;
};
