#include "cli/config_command.h"

#include <string>

#include "app/mixer_app.h"

namespace {

template <typename Array>
std::string Colours(const CColourTable& table, const Array& indexes) {
  std::string text;
  for (size_t track = 0; track < indexes.size(); ++track) {
    if (track) text += ", ";
    text += std::to_string(indexes[track]) + " " + table.At(indexes[track]).name;
  }
  return text;
}

const char* MeasureName(int measure) {
  switch (measure) {
    case 1: return "four beats";
    case 2: return "three beats";
    default: return "none";
  }
}

const char* DisplayName(int type) {
  switch (type) {
    case 0: return "Time";
    case 1: return "Beats";
    case 2: return "Samples";
    default: return "unknown";
  }
}

}  // namespace

void PrintConfig(const CMixerApp& app, std::ostream& out) {
  const MixerConfig& config = app.m_config;
  out << "config file: " << app.ConfigFilePath() << (app.m_bConfigValid ? "" : " (not saved)") << '\n'
      << "audio folder: " << config.audioFolder << '\n'
      << "wave input device: " << config.waveInDevice << '\n'
      << "wave output device: " << config.waveOutDevice << '\n'
      << "metronome: " << (config.metronomeOn ? "on" : "off") << '\n'
      << "metronome measure: " << int{config.metronomeMeasure} << " (" << MeasureName(config.metronomeMeasure) << ")\n"
      << "metronome sound: " << int{config.metronomeSound} << " (" << (config.metronomeSound ? "stick" : "drum beat")
      << ")\n"
      << "metronome accent: " << (config.metronomeAccent ? "on" : "off") << '\n'
      << "metronome tempo: " << config.metronomeTempo << " beats per minute\n"
      << "metronome level: " << int{config.metronomeLevel} << '\n'
      << "time display: " << config.timeDisplayType << " (" << DisplayName(config.timeDisplayType) << ")\n"
      << "wave colours: " << Colours(app.m_colourTable, config.waveColour) << '\n'
      << "outline colours: " << Colours(app.m_colourTable, config.outlineColour) << '\n'
      << "marker colours: " << Colours(app.m_colourTable, config.markerColour) << '\n'
      << "session folder: " << app.m_szTempFolder << '\n';
}
