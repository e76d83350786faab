#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

class CMixerApp;

// The commands of the Tools and Effects menus' tools: `effect`, `presets`,
// `preset-add` and `preset-remove`. Nothing when the words are none of them; else
// whether the command succeeded (a failure is told through fail, which returns false).
std::optional<bool> RunEffectCommand(CMixerApp& app, const std::vector<std::string>& words, std::ostream& out,
                                     const std::function<bool(const std::string&)>& fail);

// The usage lines of those commands.
const char* EffectCommandHelp();
