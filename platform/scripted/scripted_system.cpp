#include "platform/scripted/scripted_system.h"

#include <algorithm>

namespace platform {

MessageResult ScriptedMessageBoxes::Show(const std::string& text, const std::string& caption, MessageIcon icon,
                                         MessageButtons buttons, MessageKind kind) {
  shown.push_back({text, caption, icon, buttons, kind});
  if (whileShown) whileShown(shown.back());
  if (!m_answers.empty()) {
    MessageResult answer = m_answers.front();
    m_answers.pop_front();
    return answer;
  }
  return (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel) ? MessageResult::Yes
                                                                                      : MessageResult::Ok;
}

std::unique_ptr<MemoryDialogSurface> ScriptedDialogHost::MakeSurface(const std::string& layout) {
  auto surface = std::make_unique<MemoryDialogSurface>();
  for (const auto& id : m_missing[layout]) surface->Remove(id);
  return surface;
}

int ScriptedDialogHost::RunModal(DialogLogic& logic) {
  shown.push_back(logic.Layout());
  auto surface = MakeSurface(logic.Layout());
  std::optional<int> result;
  logic.Attach(surface.get(), [&result](int code) {
    if (!result) result = code;
  });
  if (logic.OnInitDialog()) {
    auto script = m_scripts.find(logic.Layout());
    if (script != m_scripts.end() && script->second) script->second(logic, *surface);
  }
  logic.Detach();
  return result.value_or(IDCANCEL);
}

namespace {
class ScriptedModeless : public ModelessDialog {
 public:
  // current points at the surface while the dialog exists.
  ScriptedModeless(DialogLogic& logic, std::unique_ptr<MemoryDialogSurface> surface, MemoryDialogSurface*& current)
      : m_logic(logic), m_surface(std::move(surface)), m_current(current) {
    m_current = m_surface.get();
    m_logic.Attach(m_surface.get(), [](int) {});
    m_logic.OnInitDialog();
  }
  ~ScriptedModeless() override {
    m_logic.Detach();
    if (m_current == m_surface.get()) m_current = nullptr;
  }

 private:
  DialogLogic& m_logic;
  std::unique_ptr<MemoryDialogSurface> m_surface;
  MemoryDialogSurface*& m_current;
};
}  // namespace

std::unique_ptr<ModelessDialog> ScriptedDialogHost::CreateModeless(DialogLogic& logic) {
  shown.push_back(logic.Layout());
  return std::make_unique<ScriptedModeless>(logic, MakeSurface(logic.Layout()), modeless);
}

std::unique_ptr<ModelessDialog> ScriptedDialogHost::CreatePage(DialogLogic& page, DialogLogic& owner,
                                                              const std::string& containerId) {
  if (!owner.GetDlgItem(containerId)) return nullptr;
  if (std::find(m_failingPages.begin(), m_failingPages.end(), page.Layout()) != m_failingPages.end()) return nullptr;
  shown.push_back(page.Layout());
  return std::make_unique<ScriptedModeless>(page, MakeSurface(page.Layout()), pages[page.Layout()]);
}

std::optional<std::string> ScriptedFolderBrowser::Browse(const std::string& title, const std::string& startFolder,
                                                         const std::vector<std::string>& recent) {
  titles.push_back(title);
  startFolders.push_back(startFolder);
  recents.push_back(recent);
  if (m_answers.empty()) return std::nullopt;
  auto answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}

ScriptedSystem::ScriptedSystem(std::string programFolder, std::string dataFolder, std::string homeFolder)
    : timers(clock, [this](unsigned int ms) { clock.Advance(ms); }),
      folders(programFolder + "/trackwright", std::move(dataFolder), std::move(homeFolder)),
      waveDevices({"Test Output"}, {"Test Input"}),
      wave(clock, {"Test Output"}, {"Test Input"}) {
  System system;
  system.messages = &messages;
  system.dialogs = &dialogs;
  system.timers = &timers;
  system.pump = &timers;
  system.clock = &clock;
  system.settings = &settings;
  system.clipboard = &clipboard;
  system.folderBrowser = &folderBrowser;
  system.fileDialogs = &fileDialogs;
  system.shell = &shell;
  system.folders = &folders;
  system.waveDevices = &waveDevices;
  system.waveSystem = &wave;
  m_scope = std::make_unique<ScopedSystem>(system);
}

}  // namespace platform
