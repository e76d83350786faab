// trackwright-cli: the application core driven from the command line.

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/mixer_app.h"
#include "cli/command_words.h"
#include "cli/console_main_frame.h"
#include "cli/effect_command.h"
#include "cli/play_command.h"
#include "cli/progress_line.h"
#include "cli/script.h"
#include "platform/console/console_system.h"

namespace {

constexpr const char* kUsage =
    "Usage: trackwright-cli [OPTIONS] COMMAND [ARGUMENTS]\n"
    "       trackwright-cli [OPTIONS] -e COMMAND [-e COMMAND ...]\n"
    "       trackwright-cli [OPTIONS] --script FILE\n"
    "\n"
    "Sonavel Trackwright's core without its window. The commands of one run share one\n"
    "session: its project, clipboard and undo. 'trackwright-cli devices' lists the\n"
    "output and input devices with their indices.\n"
    "\n"
    "Options:\n"
    "  -e COMMAND           run COMMAND (may be given several times)\n"
    "  --script FILE        run the commands of FILE, one per line ('#' starts a comment)\n"
    "  --audio-folder DIR   the audio folder to use where the program would ask for one\n"
    "                       (a first start, or a configured folder that is not writable)\n"
    "  --config-dir DIR     read and write mixer.cfg in DIR instead of beside the program\n"
    "  --device N           play through output device N (see 'devices')\n"
    "  --version            print the version and exit\n"
    "  --help               print this help and exit\n"
    "\n";

// A command line and where it came from: "line 3 of FILE", "-e command 2", or nothing
// for the one command given as the arguments.
struct CommandLine {
  std::string text;
  std::string origin;
};

struct Arguments {
  std::optional<std::string> audioFolder;
  std::optional<std::string> configFolder;
  std::optional<std::string> outputDevice;
  bool listDevices = false;
  bool keepGoing = false;
  std::vector<CommandLine> lines;
};

bool ReadScript(const std::string& path, std::vector<CommandLine>& lines) {
  std::ifstream in(path);
  if (!in) {
    std::cerr << "trackwright-cli: cannot read the script " << path << '\n';
    return false;
  }
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    lines.push_back({line, "line " + std::to_string(++number) + " of " + path});
  }
  return true;
}

// A folder named relative to the working folder, made absolute: the audio folder may be
// stored in mixer.cfg and used again by a run in another folder.
std::string AbsoluteFolder(const std::string& folder) {
  if (folder.empty()) return folder;
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(folder, error);
  if (error) return folder;
  std::string text = absolute.lexically_normal().string();
  if (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// Parses the options; returns an exit status when the run ends here.
std::optional<int> Parse(int argc, char** argv, Arguments& arguments) {
  int commandOptions = 0;
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "--help" || word == "-h") {
      std::cout << kUsage << ScriptRunner::Help() << "Tools and effects:\n" << EffectCommandHelp();
      return 0;
    }
    if (word == "--version") {
      std::cout << "trackwright-cli (Sonavel Trackwright) " << TRACKWRIGHT_VERSION << '\n';
      return 0;
    }
    if (word == "--keep-going") {
      arguments.keepGoing = true;
      continue;
    }
    if (word == "--audio-folder" || word == "--config-dir" || word == "--device" || word == "-e" ||
        word == "--script") {
      if (i + 1 >= argc) {
        std::cerr << "trackwright-cli: " << word << " needs a value\n";
        return 2;
      }
      std::string value = argv[++i];
      if (word == "--audio-folder") arguments.audioFolder = AbsoluteFolder(value);
      if (word == "--config-dir") arguments.configFolder = value;
      if (word == "--device") arguments.outputDevice = value;
      if (word == "-e") arguments.lines.push_back({value, "-e command " + std::to_string(++commandOptions)});
      if (word == "--script" && !ReadScript(value, arguments.lines)) return 2;
      continue;
    }
    if (word.starts_with("-")) {
      std::cerr << "trackwright-cli: unknown option '" << word << "'\n" << kUsage;
      return 2;
    }
    if (word == "devices" && i + 1 == argc) {
      arguments.listDevices = true;
      return std::nullopt;
    }
    arguments.lines.push_back({JoinWords(std::vector<std::string>(argv + i, argv + argc)), ""});
    break;
  }
  if (arguments.lines.empty()) {
    std::cerr << "trackwright-cli: no command given\n" << kUsage;
    return 2;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (auto status = Parse(argc, argv, arguments)) return *status;

  platform::ConsoleSystem system;
  if (arguments.listDevices) {
    PrintDevices(std::cout);
    return 0;
  }
  system.folderBrowser.SetAnswer(arguments.audioFolder);
  if (arguments.configFolder) system.folders.SetWritableDataFolder(*arguments.configFolder);
  ProgressLine progress(stderr, isatty(fileno(stderr)) == 1, [] {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
  });
  system.dialogs.SetRenderer([&progress](const std::string& layout, platform::MemoryDialogSurface& surface,
                                         bool closing) { progress.Render(layout, surface, closing); });

  // Reports of a start-up that went on are shown but do not fail the run; a command
  // that fails or reports an error ends it (or, with --keep-going, only fails it),
  // and so does a report at exit (mixer.cfg that cannot be written).
  bool succeeded = false;
  int errorsBeforeExit = 0;
  {
    CMixerApp app;
    StartupOptions startup{"", [] { return std::make_unique<ConsoleMainFrame>(); }};
    // The audio devices are opened by the commands that play.
    startup.openAudioDevices = false;
    if (app.InitInstance(std::move(startup))) {
      ScriptRunner runner(app, system.dialogs, std::cout);
      succeeded = !arguments.outputDevice || UseOutputDevice(app, *arguments.outputDevice, std::cerr);
      const bool deviceFailed = !succeeded;
      for (size_t n = 0; !deviceFailed && (succeeded || arguments.keepGoing) && n < arguments.lines.size(); ++n) {
        const CommandLine& line = arguments.lines[n];
        int errorsBefore = system.messages.ErrorCount();
        if (!runner.Run(line.text) || system.messages.ErrorCount() != errorsBefore) {
          if (!line.origin.empty())
            std::cerr << "trackwright-cli: " << (arguments.keepGoing ? "failed at " : "stopped at ") << line.origin << ": " << line.text << '\n';
          succeeded = false;
        }
      }
    }
    errorsBeforeExit = system.messages.ErrorCount();
  }
  if (system.messages.ErrorCount() != errorsBeforeExit) succeeded = false;
  return succeeded ? 0 : 1;
}
