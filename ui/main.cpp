// trackwright: the eight-track recorder's window.

#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/mixer_app.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/program_start.h"
#include "ui/platform_qt/qt_system.h"

namespace {

constexpr const char* kUsage =
    "Usage: trackwright [OPTION]... [FILE]\n"
    "\n"
    "Sonavel Trackwright records, edits and mixes eight-track audio projects.\n"
    "\n"
    "FILE is opened at start-up: a project (.mix), a WAV file (.wav) or an MP3\n"
    "file (.mp3).\n"
    "\n"
    "Options:\n"
    "  --config-dir DIR  read and write mixer.cfg in DIR instead of beside the program\n"
    "  -h, --help        print this help and exit\n"
    "  -v, --version     print the version and exit\n"
    "\n"
    "The usual Qt options (such as -platform NAME) are understood as well.\n";

}  // namespace

int main(int argc, char** argv) {
  // Help and version need no display, so they are answered before Qt starts.
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
      std::printf("Sonavel Trackwright %s\n", TRACKWRIGHT_VERSION);
      return 0;
    }
  }
  if (!ui::DisplayAvailable(argc, argv)) {
    std::fputs(
        "trackwright: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
        "Start it from a desktop session, or use trackwright-cli without a window.\n",
        stderr);
    return 2;
  }

  QApplication application(argc, argv);
  ui::SetProgramIdentity();

  // What is left once Qt has taken its own options.
  QStringList arguments = QCoreApplication::arguments().mid(1);
  std::string fileToOpen;
  std::string configFolder;
  bool optionsEnded = false;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (!optionsEnded && argument == QLatin1String("--")) {
      optionsEnded = true;
    } else if (!optionsEnded && argument == QLatin1String("--config-dir")) {
      if (i + 1 >= arguments.size()) {
        std::fputs("trackwright: --config-dir needs a folder\n", stderr);
        return 2;
      }
      configFolder = QFileInfo(arguments[++i]).absoluteFilePath().toStdString();
    } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
      std::fprintf(stderr, "trackwright: unknown option %s\nTry 'trackwright --help'.\n",
                   argument.toLocal8Bit().constData());
      return 2;
    } else if (!fileToOpen.empty()) {
      std::fputs("trackwright: only one file can be opened at a time.\nTry 'trackwright --help'.\n", stderr);
      return 2;
    } else {
      // The file is kept by its full name: the recent-file list outlives the folder
      // the program was started in.
      fileToOpen = QFileInfo(argument).absoluteFilePath().toStdString();
    }
  }

  ui::QtSystem system;
  if (!configFolder.empty()) system.folders.SetWritableDataFolder(configFolder);
  int status = 1;
  {
    CMixerApp app;
    if (app.InitInstance({fileToOpen, [] { return std::make_unique<ui::MainWindow>(); }})) status = application.exec();
  }  // the application object and its window go before the system and Qt
  return status;
}
