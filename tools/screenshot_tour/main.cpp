// trackwright-screenshot-tour: starts the windowed program on a project, as the
// program itself starts, and writes PNG pictures of its main window, its mixing
// board and the dialogs of its menus.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/mixer_app.h"
#include "tools/screenshot_tour/screenshot_tour.h"
#include "tools/screenshot_tour/watchdog.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/program_start.h"
#include "ui/platform_qt/qt_system.h"

namespace {

constexpr const char* kUsage =
    "Usage: trackwright-screenshot-tour [--config-dir DIR] [--timeout SECONDS] OUTPUT_FOLDER PROJECT\n"
    "       trackwright-screenshot-tour --first-run-pages --config-dir DIR [--timeout SECONDS] OUTPUT_FOLDER\n"
    "\n"
    "Starts Sonavel Trackwright on PROJECT and writes PNG pictures into OUTPUT_FOLDER:\n"
    "main-window.png (the whole track in view), main-window-large.png (the same in a\n"
    "maximised window), main-window-samples.png (zoomed in to single samples),\n"
    "mixing-board.png and dialog-*.png, one for each dialog that the menus open (and\n"
    "each page of a dialog with pages). With --first-run-pages it starts without a\n"
    "configuration record instead, writes first-run-page-1.png, -2.png, ... of the\n"
    "pages that come, confirming each with OK, and ends when the main window is up.\n"
    "The exit status is 0 when every picture was written.\n"
    "\n"
    "Options:\n"
    "  --config-dir DIR  read and write mixer.cfg in DIR instead of beside the program;\n"
    "                    without a record there the first-run pages come up\n"
    "  --first-run-pages picture the first-run pages (DIR should hold no mixer.cfg)\n"
    "  --timeout SECONDS end with a message and status 1 when the tour has not ended\n"
    "                    by then (default 120)\n"
    "  -h, --help        print this help and exit\n"
    "\n"
    "The usual Qt options (such as -platform offscreen) are understood as well.\n";

int UsageError(const char* message) {
  std::fprintf(stderr, "trackwright-screenshot-tour: %s\nTry 'trackwright-screenshot-tour --help'.\n", message);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  if (!ui::DisplayAvailable(argc, argv)) {
    std::fputs("trackwright-screenshot-tour: no display found; run it under xvfb-run or with "
               "QT_QPA_PLATFORM=offscreen.\n",
               stderr);
    return 2;
  }
  // The notes and failures come in the order they happened, also into a pipe.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);

  // A desktop's own file dialog is no widget of this process: the tour could neither
  // see nor answer it.
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication application(argc, argv);
  // As the program names itself: the settings store is found by these names.
  ui::SetProgramIdentity();

  QStringList arguments = QCoreApplication::arguments().mid(1);
  QStringList positional;
  std::string configFolder;
  bool firstRunPages = false;
  long timeoutSeconds = 120;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("--first-run-pages")) {
      firstRunPages = true;
    } else if (argument == QLatin1String("--config-dir")) {
      if (i + 1 >= arguments.size()) return UsageError("--config-dir needs a folder");
      configFolder = QFileInfo(arguments[++i]).absoluteFilePath().toStdString();
    } else if (argument == QLatin1String("--timeout")) {
      bool number = false;
      if (i + 1 < arguments.size()) timeoutSeconds = arguments[++i].toLong(&number);
      if (!number || timeoutSeconds <= 0) return UsageError("--timeout needs a number of seconds above 0");
    } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
      return UsageError(qPrintable(QStringLiteral("unknown option %1").arg(argument)));
    } else {
      positional << argument;
    }
  }
  if (firstRunPages && (positional.size() != 1 || configFolder.empty())) {
    return UsageError("--first-run-pages takes --config-dir and an output folder");
  }
  if (!firstRunPages && positional.size() != 2) return UsageError("an output folder and a project are needed");
  const QString outputFolder = QFileInfo(positional[0]).absoluteFilePath();
  const QString project = firstRunPages ? QString() : QFileInfo(positional[1]).absoluteFilePath();
  if (!firstRunPages && !QFileInfo(project).isFile()) {
    return UsageError(qPrintable(QStringLiteral("%1 is no file").arg(project)));
  }
  if (!QDir().mkpath(outputFolder)) {
    return UsageError(qPrintable(QStringLiteral("the folder %1 cannot be made").arg(outputFolder)));
  }

  const tour::Watchdog watchdog(
      std::chrono::seconds(timeoutSeconds),
      "screenshot tour: the tour did not end within " + std::to_string(timeoutSeconds) + " s");
  ui::QtSystem system;
  if (!configFolder.empty()) system.folders.SetWritableDataFolder(configFolder);
  int status = 1;
  {
    CMixerApp app;
    tour::ScreenshotTour tour(outputFolder);
    if (firstRunPages) tour.PictureFirstRunPages();
    tour.Start();
    auto createMainFrame = [&tour] {
      auto window = std::make_unique<ui::MainWindow>();
      tour.SetMainWindow(window.get());
      return window;
    };
    if (!app.InitInstance({project.toStdString(), createMainFrame})) {
      std::fputs("screenshot tour: the program did not start\n", stderr);
    } else {
      QTimer::singleShot(0, &tour, &tour::ScreenshotTour::MainLoopStarted);
      application.exec();
      if (tour.Finished()) {
        status = tour.Status();
      } else {
        std::fputs("screenshot tour: the program ended before the tour did\n", stderr);
      }
    }
  }  // the tour goes before the application object, the window with the latter
  return status;
}
