#include "ui/main_window/program_start.h"

#include <QApplication>
#include <cstring>

#include "platform/folders.h"
#include "ui/main_window/toolbar_icons.h"

namespace ui {

namespace {
bool HasValue(const char* name) {
  return !platform::EnvironmentValue(name).empty();
}
}  // namespace

bool DisplayAvailable(int argc, char** argv) {
  if (HasValue("DISPLAY") || HasValue("WAYLAND_DISPLAY") || HasValue("QT_QPA_PLATFORM")) return true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) return true;
  }
  return false;
}

void SetProgramIdentity() {
  QCoreApplication::setOrganizationName(QStringLiteral("Sonavel"));
  QCoreApplication::setApplicationName(QStringLiteral("Trackwright 3.3"));
  QCoreApplication::setApplicationVersion(QStringLiteral(TRACKWRIGHT_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("trackwright"));
  QGuiApplication::setWindowIcon(ApplicationIcon());
}

}  // namespace ui
