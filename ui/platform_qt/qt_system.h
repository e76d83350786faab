#pragma once

#include <memory>

#include "platform/clock.h"
#include "platform/folders.h"
#include "platform/portaudio_wave_devices.h"
#include "platform/system.h"
#include "platform/wave/portaudio_wave_system.h"
#include "ui/platform_qt/clipboard_qt.h"
#include "ui/platform_qt/dialog_host_qt.h"
#include "ui/platform_qt/file_dialogs_qt.h"
#include "ui/platform_qt/folder_browser_qt.h"
#include "ui/platform_qt/message_boxes_qt.h"
#include "ui/platform_qt/settings_store_qt.h"
#include "ui/platform_qt/shell_qt.h"
#include "ui/platform_qt/timers_qt.h"

namespace ui {

// The system of the windowed program: the Qt services, the steady clock, the real
// folders and the audio library's devices, installed for the object's lifetime. Made
// after the QApplication and destroyed before it.
class QtSystem {
 public:
  QtSystem();
  ~QtSystem();
  QtSystem(const QtSystem&) = delete;
  QtSystem& operator=(const QtSystem&) = delete;

  QtMessageBoxes messages;
  QtDialogHost dialogs;
  QtTimers timers;
  QtMessagePump pump;
  platform::SteadyClock clock;
  QtSettingsStore settings;
  QtClipboard clipboard;
  QtFolderBrowser folderBrowser;
  QtFileDialogs fileDialogs;
  QtShell shell;
  platform::SystemFolders folders;
  platform::PortAudioWaveDevices waveDevices;
  platform::PortAudioWaveSystem waveSystem;

 private:
  std::unique_ptr<platform::ScopedSystem> m_scope;
};

}  // namespace ui
