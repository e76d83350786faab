#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialog_logic.h"
#include "platform/memory_dialog_surface.h"
#include "platform/system.h"
#include "platform/wave/virtual_wave_device.h"

namespace platform {

// Message boxes that record what they showed and give scripted answers.
class ScriptedMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    std::string text, caption;
    MessageIcon icon;
    MessageButtons buttons;
    MessageKind kind;
  };
  MessageResult Show(const std::string& text, const std::string& caption, MessageIcon icon, MessageButtons buttons,
                     MessageKind kind) override;
  // The next answers, in order; without one a box is answered with OK (or Yes).
  void Answer(MessageResult result) { m_answers.push_back(result); }
  std::vector<Shown> shown;
  // Run while a box is up, as a user acting then would.
  std::function<void(const Shown&)> whileShown;
  void Beep() override { ++beeps; }
  int beeps = 0;

 private:
  std::deque<MessageResult> m_answers;
};

// Runs dialogs on memory surfaces. A script per layout plays the user: it may set
// controls and call the logic's handlers; a dialog its script leaves open is
// cancelled. Without a script a modal dialog is cancelled at once.
class ScriptedDialogHost : public DialogHost {
 public:
  using Script = std::function<void(DialogLogic&, MemoryDialogSurface&)>;
  int RunModal(DialogLogic& logic) override;
  std::unique_ptr<ModelessDialog> CreateModeless(DialogLogic& logic) override;
  // A page's surface is kept in pages under its layout while the page exists, so that
  // the owner's script can play the user on it.
  std::unique_ptr<ModelessDialog> CreatePage(DialogLogic& page, DialogLogic& owner,
                                             const std::string& containerId) override;

  void OnShow(const std::string& layout, Script script) { m_scripts[layout] = std::move(script); }
  // Controls a layout lacks, to test the reports of missing controls.
  void Without(const std::string& layout, const std::string& id) { m_missing[layout].push_back(id); }
  // Layouts in the order they were shown.
  std::vector<std::string> shown;
  // The surface of the modeless dialog open now, if any.
  MemoryDialogSurface* modeless = nullptr;
  std::map<std::string, MemoryDialogSurface*> pages;
  // Layouts whose pages cannot be created, to test the reports of failed pages.
  void FailPage(const std::string& layout) { m_failingPages.push_back(layout); }

 private:
  std::unique_ptr<MemoryDialogSurface> MakeSurface(const std::string& layout);
  std::map<std::string, Script> m_scripts;
  std::map<std::string, std::vector<std::string>> m_missing;
  std::vector<std::string> m_failingPages;
};

// A folder browser with scripted answers; no answer left means Cancel.
class ScriptedFolderBrowser : public FolderBrowser {
 public:
  std::optional<std::string> Browse(const std::string& title, const std::string& startFolder,
                                    const std::vector<std::string>& recent = {}) override;
  void Answer(std::optional<std::string> folder) { m_answers.push_back(std::move(folder)); }
  std::vector<std::string> titles;
  // The start folder and the recent folders of each browser shown.
  std::vector<std::string> startFolders;
  std::vector<std::vector<std::string>> recents;

 private:
  std::deque<std::optional<std::string>> m_answers;
};

// File dialogs with scripted answers; no answer left means Cancel.
class ScriptedFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> GetOpenFileName(const std::string& title, const std::string&,
                                             const std::string& filters) override {
    return Next(title, filters);
  }
  std::optional<std::string> GetSaveFileName(const std::string& title, const std::string&, const std::string& filters,
                                             const std::string&) override {
    return Next(title, filters);
  }
  void Answer(std::optional<std::string> path) { m_answers.push_back(std::move(path)); }
  // The titles and filter lists of the dialogs shown, in order.
  std::vector<std::pair<std::string, std::string>> shown;

 private:
  std::optional<std::string> Next(const std::string& title, const std::string& filters) {
    shown.emplace_back(title, filters);
    if (m_answers.empty()) return std::nullopt;
    auto answer = m_answers.front();
    m_answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> m_answers;
};

// A shell that records what it was asked to open and run, with set results.
class ScriptedShell : public Shell {
 public:
  int Open(const std::string& target) override {
    opened.push_back(target);
    return result;
  }
  std::string HandlerCommand(const std::string& mimeType) override {
    handlersAsked.push_back(mimeType);
    return handler;
  }
  bool Run(const std::vector<std::string>& arguments) override {
    ran.push_back(arguments);
    return runs;
  }
  std::vector<std::string> opened, handlersAsked;
  std::vector<std::vector<std::string>> ran;
  int result = kShellOpened;
  std::string handler;
  bool runs = true;
};

// A complete scripted system for tests: a manual clock, polled timers on it, and
// the scripted services above, installed for the object's lifetime.
class ScriptedSystem {
 public:
  ScriptedSystem(std::string programFolder, std::string dataFolder, std::string homeFolder);
  ScriptedSystem(const ScriptedSystem&) = delete;
  ScriptedSystem& operator=(const ScriptedSystem&) = delete;

  ScriptedMessageBoxes messages;
  ScriptedDialogHost dialogs;
  ManualClock clock;
  PolledTimers timers;
  MemorySettingsStore settings;
  MemoryClipboard clipboard;
  ScriptedFolderBrowser folderBrowser;
  ScriptedFileDialogs fileDialogs;
  ScriptedShell shell;
  FixedFolders folders;
  FixedWaveDevices waveDevices;
  // The engines' devices: one virtual output and input, paced by the manual clock.
  VirtualWaveSystem wave;
  // Makes the installed system a console-like one that cannot ask.
  void SetInteractive(bool interactive) { platform::Os().interactive = interactive; }

 private:
  std::unique_ptr<ScopedSystem> m_scope;
};

}  // namespace platform
