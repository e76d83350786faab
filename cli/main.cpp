// trackwright-cli: the application core driven from the command line.

#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/mixer_app.h"
#include "cli/config_command.h"
#include "cli/console_main_frame.h"
#include "cli/progress_line.h"
#include "platform/console/console_system.h"

namespace {

constexpr const char* kUsage =
    "Usage: trackwright-cli [OPTIONS] COMMAND\n"
    "\n"
    "Sonavel Trackwright's core without its window.\n"
    "\n"
    "Commands:\n"
    "  config               print the configuration record's fields\n"
    "\n"
    "Options:\n"
    "  --audio-folder DIR   the audio folder to use where the program would ask for one\n"
    "                       (a first start, or a configured folder that is not writable)\n"
    "  --config-dir DIR     read and write mixer.cfg in DIR instead of beside the program\n"
    "  --version            print the version and exit\n"
    "  --help               print this help and exit\n";

struct Arguments {
  std::optional<std::string> audioFolder;
  std::optional<std::string> configFolder;
  std::vector<std::string> command;
};

// Parses the options; returns an exit status when the run ends here.
std::optional<int> Parse(int argc, char** argv, Arguments& arguments) {
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "--help" || word == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (word == "--version") {
      std::cout << "trackwright-cli (Sonavel Trackwright) " << TRACKWRIGHT_VERSION << '\n';
      return 0;
    }
    if (word == "--audio-folder" || word == "--config-dir") {
      if (i + 1 >= argc) {
        std::cerr << "trackwright-cli: " << word << " needs a folder\n";
        return 2;
      }
      (word == "--audio-folder" ? arguments.audioFolder : arguments.configFolder) = argv[++i];
      continue;
    }
    if (word.starts_with("-")) {
      std::cerr << "trackwright-cli: unknown option '" << word << "'\n" << kUsage;
      return 2;
    }
    arguments.command.assign(argv + i, argv + argc);
    break;
  }
  if (arguments.command.empty()) {
    std::cerr << "trackwright-cli: no command given\n" << kUsage;
    return 2;
  }
  if (arguments.command[0] != "config" || arguments.command.size() != 1) {
    std::cerr << "trackwright-cli: unknown command '" << arguments.command[0] << "'\n" << kUsage;
    return 2;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (auto status = Parse(argc, argv, arguments)) return *status;

  platform::ConsoleSystem system;
  system.folderBrowser.SetAnswer(arguments.audioFolder);
  if (arguments.configFolder) system.folders.SetWritableDataFolder(*arguments.configFolder);
  ProgressLine progress;
  system.dialogs.SetRenderer([&progress](const std::string& layout, platform::MemoryDialogSurface& surface,
                                         bool closing) { progress.Render(layout, surface, closing); });

  // Reports of a start-up that went on (no input device, say) are shown but do not
  // fail the command; errors reported while it runs do.
  bool ran = false;
  int startupErrors = 0;
  {
    CMixerApp app;
    if (app.InitInstance({"", [] { return std::make_unique<ConsoleMainFrame>(); }})) {
      startupErrors = system.messages.ErrorCount();
      PrintConfig(app, std::cout);
      ran = true;
    }
  }
  return (ran && system.messages.ErrorCount() == startupErrors) ? 0 : 1;
}
