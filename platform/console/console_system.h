#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/memory_dialog_surface.h"
#include "platform/portaudio_wave_devices.h"
#include "platform/system.h"
#include "platform/wave/portaudio_wave_system.h"

namespace platform {

// Message boxes printed: information to standard output, error reports and warnings
// to standard error. Every box is answered with its default.
class ConsoleMessageBoxes : public MessageBoxes {
 public:
  MessageResult Show(const std::string& text, const std::string& caption, MessageIcon icon, MessageButtons buttons,
                     MessageKind kind) override;
  int ErrorCount() const { return m_errors; }

 private:
  int m_errors = 0;
};

// Dialogs without a window: a modal dialog is initialised and confirmed with its
// defaults, as a user pressing OK at once would. A modeless dialog's changes go to a
// renderer that the front end sets (the progress bar on standard error).
class ConsoleDialogHost : public DialogHost {
 public:
  // Called after each change of the dialog's controls, and with closing set once
  // when the dialog goes.
  using Renderer = std::function<void(const std::string& layout, MemoryDialogSurface& surface, bool closing)>;
  int RunModal(DialogLogic& logic) override;
  std::unique_ptr<ModelessDialog> CreateModeless(DialogLogic& logic) override;
  // A page of a console dialog holds its controls in memory, as the dialog does.
  std::unique_ptr<ModelessDialog> CreatePage(DialogLogic& page, DialogLogic& owner,
                                             const std::string& containerId) override;
  void SetRenderer(Renderer renderer) { m_renderer = std::move(renderer); }
  // Values the next showing of a layout finds in its controls, as if typed or
  // chosen: a text, the item of a list with that text, or a check mark.
  void PresetText(const std::string& layout, const std::string& id, const std::string& text);
  void PresetCheck(const std::string& layout, const std::string& id, bool checked);

 private:
  struct Preset {
    std::string id, text;
    bool isCheck = false, checked = false;
  };
  Renderer m_renderer;
  std::map<std::string, std::vector<Preset>> m_presets;
};

// A folder browser that answers with the folder given on the command line, once.
class ConsoleFolderBrowser : public FolderBrowser {
 public:
  std::optional<std::string> Browse(const std::string& title, const std::string& startFolder,
                                    const std::vector<std::string>& recent = {}) override;
  void SetAnswer(std::optional<std::string> folder) { m_answer = std::move(folder); }

 private:
  std::optional<std::string> m_answer;
};

// The audio library's devices, started on first use. Starting the library probes every
// device of the sound system, which a run whose commands never play need not do.
class OnDemandWaveSystem final : public WaveSystem {
 public:
  unsigned OutputCount() override { return Started().OutputCount(); }
  unsigned InputCount() override { return Started().InputCount(); }
  unsigned GetOutputCaps(unsigned deviceId, WaveOutCaps* caps) override {
    return Started().GetOutputCaps(deviceId, caps);
  }
  unsigned GetInputCaps(unsigned deviceId, WaveInCaps* caps) override { return Started().GetInputCaps(deviceId, caps); }
  std::unique_ptr<WaveOutDevice> CreateOutput() override { return Started().CreateOutput(); }
  std::unique_ptr<WaveInDevice> CreateInput() override { return Started().CreateInput(); }

 private:
  PortAudioWaveSystem& Started();
  std::unique_ptr<PortAudioWaveSystem> m_system;
};

// The console's system, installed for the object's lifetime; nobody can be asked.
class ConsoleSystem {
 public:
  ConsoleSystem();
  ConsoleSystem(const ConsoleSystem&) = delete;
  ConsoleSystem& operator=(const ConsoleSystem&) = delete;

  ConsoleMessageBoxes messages;
  ConsoleDialogHost dialogs;
  SteadyClock clock;
  PolledTimers timers;
  MemorySettingsStore settings;
  MemoryClipboard clipboard;
  ConsoleFolderBrowser folderBrowser;
  DesktopShell shell;
  SystemFolders folders;
  PortAudioWaveDevices waveDevices;
  OnDemandWaveSystem waveSystem;

 private:
  std::unique_ptr<ScopedSystem> m_scope;
};

}  // namespace platform
