#include "ui/main_window/command_states.h"

#include <algorithm>
#include <array>

#include "core/command_ids.h"
#include "app/mixer_app.h"

namespace ui {

namespace {

// The commands the window handles itself; all others are the application's, which
// enables only what it has and what the document allows.
constexpr std::array kWindowCommands{ID_APP_EXIT, ID_APP_ABOUT, ID_HELP_DOCUMENTATION};
// The waveform view's own commands: they need a document to look at, nothing more.
constexpr std::array kViewCommands{ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, IDC_PROJECT_SLIDER};

}  // namespace

bool IsCommandEnabled(int id) {
  if (std::find(kWindowCommands.begin(), kWindowCommands.end(), id) != kWindowCommands.end()) return true;
  const CMixerApp* app = CMixerApp::Get();
  if (std::find(kViewCommands.begin(), kViewCommands.end(), id) != kViewCommands.end()) {
    // While playing, the project slider shows the play position; it cannot seek.
    if (id == IDC_PROJECT_SLIDER && app && app->m_bPlaying) return false;
    return app && app->m_pDocument;
  }
  return app && app->IsCommandEnabled(id);
}

}  // namespace ui
