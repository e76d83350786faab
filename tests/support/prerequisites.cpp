#include "tests/support/prerequisites.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace prerequisites {

bool HaveTool(const std::string& tool) {
  return std::system(("command -v '" + tool + "' >/dev/null 2>&1").c_str()) == 0;
}

std::optional<std::string> MissingTool(std::initializer_list<const char*> tools) {
  for (const char* tool : tools) {
    if (!HaveTool(tool)) return std::string(tool) + " is not installed (scripts/install-deps.sh installs it)";
  }
  return std::nullopt;
}

std::optional<std::string> NoTestServer() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !std::filesystem::exists(std::filesystem::path(runtime) / "trackwright-test-sink")) {
    return "no PulseAudio test server (by hand: scripts/pulse-test-server.sh start, then run with "
           "XDG_RUNTIME_DIR=build/test/pulse-runtime)";
  }
  if (const char* server = std::getenv("PULSE_SERVER"); server && *server)
    return std::string("PULSE_SERVER names another server: ") + server;
  return std::nullopt;
}

bool SkipsAllowed() {
  const char* allow = std::getenv("TRACKWRIGHT_ALLOW_SKIPS");
  return allow && std::string_view(allow) == "1";
}

}  // namespace prerequisites
