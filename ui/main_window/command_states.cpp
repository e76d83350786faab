#include "ui/main_window/command_states.h"

#include <algorithm>
#include <array>

#include "app/command_ids.h"
#include "app/mixer_app.h"

namespace ui {

namespace {

// The commands the window handles itself; all others are the application's, which
// enables only what it has and what the document allows.
constexpr std::array kWindowCommands{ID_APP_EXIT, ID_APP_ABOUT};

}  // namespace

bool IsCommandEnabled(int id) {
  if (std::find(kWindowCommands.begin(), kWindowCommands.end(), id) != kWindowCommands.end()) return true;
  const CMixerApp* app = CMixerApp::Get();
  return app && app->IsCommandEnabled(id);
}

}  // namespace ui
