#include "cli/effect_command.h"

#include <map>

#include "app/mixer_app.h"
#include "cli/whole_number.h"
#include "document/mixer_doc.h"

namespace {

using effects::COverToolsDialog;

// The words after the tool's name as option and value pairs.
class Options {
 public:
  Options(const std::vector<std::string>& words, size_t first) {
    for (size_t n = first; n < words.size(); n += 2) {
      if (!words[n].starts_with("--") || n + 1 >= words.size()) {
        m_bad = words[n].starts_with("--") ? words[n] + " needs a value" : "'" + words[n] + "' is not an option";
        return;
      }
      m_values[words[n]] = words[n + 1];
    }
  }
  const std::string& Problem() const { return m_bad; }
  const std::string* Take(const std::string& name) {
    auto found = m_values.find(name);
    if (found == m_values.end()) return nullptr;
    m_taken[name] = found->second;
    m_values.erase(found);
    return &m_taken[name];
  }
  // The first option nobody took.
  std::optional<std::string> Left() const {
    if (m_values.empty()) return std::nullopt;
    return m_values.begin()->first;
  }

 private:
  std::map<std::string, std::string> m_values;
  std::map<std::string, std::string> m_taken;
  std::string m_bad;
};

// Sets a left/right pair from "L" or "L,R"; false after a message naming the range.
bool SetPair(const std::string& option, const std::string& text, int max, int& left, int& right,
             const std::function<bool(const std::string&)>& fail) {
  const size_t comma = text.find(',');
  std::optional<int> l = WholeNumber(text.substr(0, comma), max);
  std::optional<int> r = comma == std::string::npos ? l : WholeNumber(text.substr(comma + 1), max);
  if (!l || !r) return fail(option + " takes L or L,R from 0 to " + std::to_string(max) + ", not '" + text + "'");
  left = *l;
  right = *r;
  return true;
}

// Applies the settings options a tool uses to its fields; false after a message.
bool ApplySettings(const std::string& name, COverToolsDialog& tool, Options& options,
                   const std::function<bool(const std::string&)>& fail) {
  auto unused = [&](const char* option, bool used) {
    return !used && options.Take(option) ? !fail(name + " has no " + option + " setting") : false;
  };
  if (unused("--preset", tool.m_bUsesPresets) || unused("--level1", tool.m_bUsesLevel1) ||
      unused("--level2", tool.m_bUsesLevel2) || unused("--delay", tool.m_bUsesDelay) ||
      unused("--voices", tool.m_bUsesVoices) || unused("--channels", tool.m_bUsesChannels) ||
      unused("--direction", tool.m_bUsesDirection) || unused("--lock", tool.m_bUsesLock)) {
    return false;
  }
  if (const std::string* preset = options.Take("--preset")) {
    tool.LoadPresets();
    if (!tool.ApplyPresetNamed(*preset)) return fail(name + " has no preset '" + *preset + "' (presets " + name + " lists them)");
  }
  if (const std::string* value = options.Take("--level1")) {
    if (!SetPair("--level1", *value, tool.m_nLevel1Max, tool.m_nLevel1Left, tool.m_nLevel1Right, fail)) return false;
  }
  if (const std::string* value = options.Take("--level2")) {
    if (!SetPair("--level2", *value, tool.m_nLevel2Max, tool.m_nLevel2Left, tool.m_nLevel2Right, fail)) return false;
  }
  if (const std::string* value = options.Take("--delay")) {
    int left = 0, right = 0;
    if (!SetPair("--delay", *value, static_cast<int>(tool.m_nDelayMax), left, right, fail)) return false;
    tool.m_nDelayLeft = static_cast<uint32_t>(left);
    tool.m_nDelayRight = static_cast<uint32_t>(right);
  }
  if (const std::string* value = options.Take("--voices")) {
    std::optional<int> voices = WholeNumber(*value, 10);
    if (!voices) return fail("--voices takes a number from 0 to 10, not '" + *value + "'");
    tool.m_nVoices = *voices;
  }
  if (const std::string* value = options.Take("--channels")) {
    if (*value != "left" && *value != "right" && *value != "both") {
      return fail("--channels takes left, right or both, not '" + *value + "'");
    }
    tool.m_bChannelLeft = *value != "right";
    tool.m_bChannelRight = *value != "left";
  }
  if (const std::string* value = options.Take("--direction")) {
    if (*value != "left-to-right" && *value != "right-to-left") {
      return fail("--direction takes left-to-right or right-to-left, not '" + *value + "'");
    }
    tool.m_bLeftToRight = *value == "left-to-right";
    tool.m_bRightToLeft = !tool.m_bLeftToRight;
  }
  if (const std::string* value = options.Take("--lock")) {
    if (*value != "on" && *value != "off") return fail("--lock takes on or off, not '" + *value + "'");
    tool.m_bLockChannels = *value == "on";
  }
  return true;
}

// The range choice of --range, checked against the current track.
bool ApplyRange(CMixerApp& app, COverToolsDialog& tool, Options& options,
                const std::function<bool(const std::string&)>& fail) {
  const std::string* range = options.Take("--range");
  if (!range) return true;
  const TrackPositions& pos = app.m_pDocument->m_mirror;
  if (*range == "highlight") {
    if (pos.m_nHighlightBegin == pos.m_nHighlightEnd) return fail("effect: nothing is highlighted in the current track");
    tool.m_nApplyTo = effects::kApplyHighlight;
  } else if (*range == "markers") {
    if (!pos.BothMarkersSet()) return fail("effect: the current track's markers are not both set");
    tool.m_nApplyTo = effects::kApplyMarkers;
  } else if (*range == "track") {
    tool.m_nApplyTo = effects::kApplyTrack;
  } else {
    return fail("--range takes highlight, markers or track, not '" + *range + "'");
  }
  return true;
}

std::string Values(const COverToolsDialog& tool, const effects::EffectPreset& preset) {
  std::string text = "lock " + std::string(preset.lock ? "on" : "off");
  auto pair = [&](const char* name, int left, int right) {
    text += ", " + std::string(name) + " " + std::to_string(left) + "," + std::to_string(right);
  };
  if (tool.m_bUsesLevel1) pair("level1", preset.level1Left, preset.level1Right);
  if (tool.m_bUsesLevel2) pair("level2", preset.level2Left, preset.level2Right);
  if (tool.m_bUsesDelay) pair("delay", preset.delayLeft, preset.delayRight);
  if (tool.m_bUsesVoices) text += ", voices " + std::to_string(preset.voices);
  return text;
}

}  // namespace

const char* EffectCommandHelp() {
  return "  effect NAME [--range highlight|markers|track] [--preset P] [--level1 L[,R]]\n"
         "             [--level2 L[,R]] [--delay L[,R]] [--voices N] [--channels left|right|both]\n"
         "             [--direction left-to-right|right-to-left] [--lock on|off]\n"
         "                         run a tool on the current track (NAME: volume, fade, mute,\n"
         "                         reverse, swap, copy-channel, echo, reverb, multi-voice);\n"
         "                         settings not given keep the tool's last ones; undo undoes it\n"
         "  presets NAME           list a tool's presets (echo, reverb, multi-voice)\n"
         "  preset-add NAME PRESET [settings]\n"
         "                         keep the tool's settings as a user preset\n"
         "  preset-remove NAME PRESET\n"
         "                         remove a user preset\n";
}

std::optional<bool> RunEffectCommand(CMixerApp& app, const std::vector<std::string>& words, std::ostream& out,
                                     const std::function<bool(const std::string&)>& fail) {
  const std::string& verb = words[0];
  if (verb != "effect" && verb != "presets" && verb != "preset-add" && verb != "preset-remove") return std::nullopt;
  const bool namesPreset = verb == "preset-add" || verb == "preset-remove";
  if (words.size() < (namesPreset ? 3u : 2u)) {
    return fail("usage: " + verb + (namesPreset ? " NAME PRESET" : " NAME") + " (see --help)");
  }
  const std::string& name = words[1];
  const effects::EffectTools::Entry* entry = nullptr;
  for (const auto& candidate : app.m_effectTools.Entries()) {
    if (name == candidate.name) entry = &candidate;
  }
  if (!entry) {
    return fail(verb + ": '" + name +
                "' is no tool; the tools are volume, fade, mute, reverse, swap, copy-channel, echo, reverb and "
                "multi-voice");
  }
  COverToolsDialog& tool = *entry->tool;
  if (verb != "effect" && !tool.m_bUsesPresets) return fail(name + " has no presets");
  Options options(words, namesPreset ? 3 : 2);
  if (!options.Problem().empty()) return fail(verb + ": " + options.Problem());

  if (verb == "presets") {
    if (options.Left()) return fail("usage: presets NAME");
    tool.LoadPresets();
    for (const effects::EffectPreset& preset : tool.Presets().Entries()) {
      out << preset.Name() << ": " << Values(tool, preset) << '\n';
    }
    return true;
  }
  if (verb == "preset-remove") {
    if (options.Left()) return fail("usage: preset-remove NAME PRESET");
    tool.LoadPresets();
    return tool.RemovePreset(words[2]);
  }
  if (verb == "effect" && !ApplyRange(app, tool, options, fail)) return false;
  if (!ApplySettings(name, tool, options, fail)) return false;
  if (std::optional<std::string> left = options.Left()) return fail(verb + ": " + name + " has no " + *left + " setting");
  if (verb == "preset-add") {
    tool.LoadPresets();
    return tool.AddPreset(words[2]);
  }
  const int result = app.RunTool(entry->operation);
  if (result == 2) out << name << ": nothing to change; the track is as it was\n";
  return result == 1 || result == 2;
}
