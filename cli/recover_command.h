#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

class CMixerApp;

// `recover --list` prints the session folders that programs which ended without
// cleaning up left behind; `recover STAMP` takes that session's tracks as a new,
// unsaved project. Nothing when the words are another command.
std::optional<bool> RunRecoverCommand(CMixerApp& app, const std::vector<std::string>& words, std::ostream& out,
                                      const std::function<bool(const std::string&)>& fail);
