#pragma once

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/dialog_host.h"
#include "platform/file_dialogs.h"
#include "platform/folder_browser.h"
#include "platform/folders.h"
#include "platform/message_boxes.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/timers.h"
#include "platform/wave_devices.h"

namespace platform {

class WaveSystem;

// The operating system as this program sees it. A front end (the window, the
// console, a test) fills it in once, before the application object starts.
struct System {
  // False where nobody can be asked (a console run): where the window would ask
  // again and again, the program gives up with a message instead.
  bool interactive = true;
  MessageBoxes* messages = nullptr;
  DialogHost* dialogs = nullptr;
  Timers* timers = nullptr;
  MessagePump* pump = nullptr;
  Clock* clock = nullptr;
  SettingsStore* settings = nullptr;
  Clipboard* clipboard = nullptr;
  FolderBrowser* folderBrowser = nullptr;
  FileDialogs* fileDialogs = nullptr;
  Shell* shell = nullptr;
  Folders* folders = nullptr;
  WaveDevices* waveDevices = nullptr;
  // The wave devices the engines open (platform/wave); null where there are none.
  WaveSystem* waveSystem = nullptr;
};

System& Os();

// Installs a system for a scope and puts the previous one back afterwards.
class ScopedSystem {
 public:
  explicit ScopedSystem(const System& system) : m_previous(Os()) { Os() = system; }
  ~ScopedSystem() { Os() = m_previous; }
  ScopedSystem(const ScopedSystem&) = delete;
  ScopedSystem& operator=(const ScopedSystem&) = delete;

 private:
  System m_previous;
};

}  // namespace platform
