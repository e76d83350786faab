#include "platform/console/console_system.h"

#include <algorithm>
#include <cstdio>

#include "platform/dialog_logic.h"

namespace platform {

namespace {

// Box texts carry Windows line ends; a terminal wants plain ones.
std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

MessageResult DefaultAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel: return MessageResult::Ok;
    case MessageButtons::YesNo: return MessageResult::Yes;
    case MessageButtons::YesNoCancel: return MessageResult::Cancel;
  }
  return MessageResult::Ok;
}

class ConsoleModeless : public ModelessDialog {
 public:
  ConsoleModeless(DialogLogic& logic, ConsoleDialogHost::Renderer renderer)
      : m_logic(logic), m_renderer(std::move(renderer)) {
    if (m_renderer) {
      m_surface.OnChange([this] { m_renderer(m_logic.Layout(), m_surface, false); });
    }
    m_logic.Attach(&m_surface, [](int) {});
    m_logic.OnInitDialog();
  }
  ~ConsoleModeless() override {
    m_logic.Detach();
    if (m_renderer) m_renderer(m_logic.Layout(), m_surface, true);
  }

 private:
  DialogLogic& m_logic;
  ConsoleDialogHost::Renderer m_renderer;
  MemoryDialogSurface m_surface;
};

}  // namespace

MessageResult ConsoleMessageBoxes::Show(const std::string& text, const std::string&, MessageIcon icon,
                                        MessageButtons buttons, MessageKind kind) {
  // Reports for support and guard messages make the run fail; a warning that the
  // program then recovers from (an unusable folder replaced) only goes to stderr.
  if (kind == MessageKind::ErrorReport || icon == MessageIcon::Stop) ++m_errors;
  std::FILE* stream = icon == MessageIcon::Information && kind == MessageKind::Message ? stdout : stderr;
  std::fprintf(stream, "%s\n", WithoutCarriageReturns(text).c_str());
  std::fflush(stream);
  return DefaultAnswer(buttons);
}

void ConsoleDialogHost::PresetText(const std::string& layout, const std::string& id, const std::string& text) {
  m_presets[layout].push_back({id, text});
}

void ConsoleDialogHost::PresetCheck(const std::string& layout, const std::string& id, bool checked) {
  m_presets[layout].push_back({id, {}, true, checked});
}

int ConsoleDialogHost::RunModal(DialogLogic& logic) {
  MemoryDialogSurface surface;
  int result = IDCANCEL;
  bool ended = false;
  logic.Attach(&surface, [&](int code) {
    if (!ended) result = code, ended = true;
  });
  if (logic.OnInitDialog()) {
    for (const Preset& preset : m_presets[logic.Layout()]) {
      MemoryControl* control = surface.Control(preset.id);
      if (!control) continue;
      if (preset.isCheck) {
        control->SetChecked(preset.checked);
        continue;
      }
      int item = -1;
      for (int i = 0; i < control->GetCount(); ++i) {
        if (control->GetItemText(i) == preset.text) item = i;
      }
      if (control->GetCount() > 0) {
        control->SetCurSel(item);
      } else {
        control->SetText(preset.text);
      }
    }
    m_presets.erase(logic.Layout());
    logic.OnOK();
  }
  logic.Detach();
  return result;
}

std::unique_ptr<ModelessDialog> ConsoleDialogHost::CreateModeless(DialogLogic& logic) {
  return std::make_unique<ConsoleModeless>(logic, m_renderer);
}

std::unique_ptr<ModelessDialog> ConsoleDialogHost::CreatePage(DialogLogic& page, DialogLogic& owner,
                                                              const std::string& containerId) {
  if (!owner.GetDlgItem(containerId)) return nullptr;
  return std::make_unique<ConsoleModeless>(page, nullptr);
}

std::optional<std::string> ConsoleFolderBrowser::Browse(const std::string&, const std::string&,
                                                        const std::vector<std::string>&) {
  auto answer = m_answer;
  m_answer.reset();
  return answer;
}

PortAudioWaveSystem& OnDemandWaveSystem::Started() {
  if (!m_system) m_system = std::make_unique<PortAudioWaveSystem>();
  return *m_system;
}

ConsoleSystem::ConsoleSystem() : timers(clock) {
  System system;
  system.interactive = false;
  system.messages = &messages;
  system.dialogs = &dialogs;
  system.timers = &timers;
  system.pump = &timers;
  system.clock = &clock;
  system.settings = &settings;
  system.clipboard = &clipboard;
  system.folderBrowser = &folderBrowser;
  system.shell = &shell;
  system.folders = &folders;
  system.waveDevices = &waveDevices;
  system.waveSystem = &waveSystem;
  m_scope = std::make_unique<ScopedSystem>(system);
}

}  // namespace platform
