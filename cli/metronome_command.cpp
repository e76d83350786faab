#include "cli/metronome_command.h"

#include "app/mixer_app.h"
#include "cli/whole_number.h"

const char* const kMetronomeCommandHelp =
    "  metronome on|off [--bpm N] [--measure 4|3|none] [--accent on|off]\n"
    "            [--sound stick|beat] [--level N]\n"
    "                         the metronome of a take: tempo 20 to 260 beats per minute,\n"
    "                         side stick or bass / snare / hi-hat, level index 0 to 60 (10 is\n"
    "                         unity); settings not given stay\n";

namespace {

// The value of a choice between two words, or nothing.
std::optional<int> Choice(const std::string& text, const char* one, const char* zero) {
  if (text == one) return 1;
  if (text == zero) return 0;
  return std::nullopt;
}

std::string Describe(const MetronomeSettings& m) {
  const char* measure = m.measure == 1 ? "4/4" : m.measure == 2 ? "3/4" : "none";
  return std::string("metronome: ") + (m.on ? "on" : "off") + ", " + std::to_string(m.tempo) +
         " beats per minute, measure " + measure + ", accent " + (m.accent ? "on" : "off") + ", sound " +
         (m.sound ? "stick" : "beat") + ", level " + std::to_string(m.level);
}

}  // namespace

std::optional<bool> RunMetronomeCommand(CMixerApp& app, const std::vector<std::string>& words, std::ostream& out,
                                        const std::function<bool(const std::string&)>& fail) {
  if (words[0] != "metronome") return std::nullopt;
  const std::optional<int> on = words.size() >= 2 ? Choice(words[1], "on", "off") : std::nullopt;
  if (!on) {
    return fail("usage: metronome on|off [--bpm N] [--measure 4|3|none] [--accent on|off] [--sound stick|beat] "
                "[--level N]");
  }
  MetronomeSettings chosen = app.m_config.Metronome();
  chosen.on = *on;
  for (size_t n = 2; n < words.size(); n += 2) {
    const std::string& option = words[n];
    if (n + 1 >= words.size()) return fail("metronome: " + option + " needs a value");
    const std::string& value = words[n + 1];
    if (option == "--bpm") {
      const std::optional<int> tempo = WholeNumber(value, CMetronomeDialog::kMaxTempo);
      if (!tempo || *tempo < CMetronomeDialog::kMinTempo) {
        return fail("metronome: the tempo must be 20 to 260 beats per minute, not '" + value + "'");
      }
      chosen.tempo = static_cast<int16_t>(*tempo);
    } else if (option == "--measure") {
      if (value == "4") {
        chosen.measure = 1;
      } else if (value == "3") {
        chosen.measure = 2;
      } else if (value == "none") {
        chosen.measure = 0;
      } else {
        return fail("metronome: the measure is 4, 3 or none, not '" + value + "'");
      }
    } else if (option == "--accent") {
      const std::optional<int> accent = Choice(value, "on", "off");
      if (!accent) return fail("metronome: the accent is on or off, not '" + value + "'");
      chosen.accent = *accent;
    } else if (option == "--sound") {
      const std::optional<int> stick = Choice(value, "stick", "beat");
      if (!stick) return fail("metronome: the sound is stick or beat, not '" + value + "'");
      chosen.sound = static_cast<uint8_t>(*stick);
    } else if (option == "--level") {
      const std::optional<int> level = WholeNumber(value, CMetronomeDialog::kMaxLevel);
      if (!level) return fail("metronome: the level is an index 0 to 60 (10 is unity), not '" + value + "'");
      chosen.level = static_cast<uint8_t>(*level);
    } else {
      return fail("metronome: unknown option '" + option + "'");
    }
  }
  app.m_metronomeDialog.Accept(chosen);
  out << Describe(chosen) << '\n';
  if (chosen.on && !app.m_metronomeDialog.IsOn()) return fail("metronome: it stays off without its click files");
  return true;
}
