// Help: the manual beside the program, opened with the desktop's handler for it.

#include "core/errors.h"
#include "core/hyperlink.h"
#include "app/mixer_app.h"
#include "platform/system.h"

namespace {
constexpr const char* kManualFile = "trackwright-manual.html";
}  // namespace

std::string CMixerApp::HelpTarget(const std::string& target) {
  if (target.rfind("http", 0) == 0 || target.rfind("mail", 0) == 0) return target;
  return "file://" + target;
}

int CMixerApp::LaunchHelp() {
  platform::Folders* folders = platform::Os().folders;
  const std::string manual = folders ? folders->FindDataFile(kManualFile) : std::string();
  if (manual.empty()) {
    ShowInformation(std::string("The manual ") + kManualFile + " is not installed beside the program.");
    return 0;
  }
  return OpenDocumentTarget(HelpTarget(manual)) ? 1 : 0;
}
