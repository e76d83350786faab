#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

class CMixerApp;

// `metronome on|off [--bpm N] [--measure 4|3|none] [--accent on|off] [--sound
// stick|beat] [--level N]` sets the metronome as the OK of its dialog does (settings
// not named stay as they are) and prints the settings. Nothing when the words are
// another command.
std::optional<bool> RunMetronomeCommand(CMixerApp& app, const std::vector<std::string>& words, std::ostream& out,
                                        const std::function<bool(const std::string&)>& fail);

// The command's lines of the usage text.
extern const char* const kMetronomeCommandHelp;
