#include "tests/support/started_app.h"

#include <filesystem>

#include "core/mixer_config.h"
#include "tests/support/temp_folder.h"

void WriteFirstRunConfig(const std::string& root) {
  std::filesystem::create_directories(root + "/config");
  std::filesystem::create_directories(root + "/audio");
  auto bytes = MixerConfig::FirstRunDefaults(root + "/audio", 0, false).Encode();
  WriteFileBytes(root + "/config/mixer.cfg", std::string(bytes.begin(), bytes.end()));
}
