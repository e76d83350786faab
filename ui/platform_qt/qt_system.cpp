#include "ui/platform_qt/qt_system.h"

namespace ui {

QtSystem::QtSystem() {
  platform::System system;
  system.interactive = true;
  system.messages = &messages;
  system.dialogs = &dialogs;
  system.timers = &timers;
  system.pump = &pump;
  system.clock = &clock;
  system.settings = &settings;
  system.clipboard = &clipboard;
  system.folderBrowser = &folderBrowser;
  system.fileDialogs = &fileDialogs;
  system.shell = &shell;
  system.folders = &folders;
  system.waveDevices = &waveDevices;
  system.waveSystem = &waveSystem;
  m_scope = std::make_unique<platform::ScopedSystem>(system);
}

QtSystem::~QtSystem() = default;

}  // namespace ui
