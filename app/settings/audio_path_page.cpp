#include "app/settings/audio_path_page.h"

#include "core/browse_folder.h"
#include "core/errors.h"
#include "core/folder_dialog.h"
#include "app/mixer_app.h"

bool CAudioPathDialog::OnInitDialog() {
  CMixerApp* app = CMixerApp::Get();
  if (!app) {
    ReportMissingObject("app", "CAudioPathDialog::OnInitDialog");
    return true;
  }
  platform::DialogControl* path = GetDlgItem(IDC_SETTINGS_AUDIO_PATH);
  if (!path) {
    ReportError("CAudioPathDialog::OnInitDialog", "Failed to get the audio path field.");
    return true;
  }
  path->SetText(app->m_config.audioFolder);
  return true;
}

void CAudioPathDialog::OnCommand(const std::string& id) {
  if (id != IDC_SETTINGS_BROWSE) return;
  platform::DialogControl* path = GetDlgItem(IDC_SETTINGS_AUDIO_PATH);
  if (!path) return;
  // Whether the folder is writable is tested at the next start, where it is used.
  if (auto chosen = CXFolderDialog::Choose(path->GetText())) path->SetText(*chosen);
}

bool CAudioPathDialog::CanApply(const CMixerApp& app) {
  platform::DialogControl* path = GetDlgItem(IDC_SETTINGS_AUDIO_PATH);
  return !path || path->GetText() == app.m_config.audioFolder || AcceptAudioFolderText(path->GetText());
}

void CAudioPathDialog::Apply(CMixerApp& app) {
  platform::DialogControl* path = GetDlgItem(IDC_SETTINGS_AUDIO_PATH);
  if (!path) return;
  const std::string folder = path->GetText();
  if (folder == app.m_config.audioFolder) return;
  app.m_config.audioFolder = folder;
  app.m_config.audioFolderTerminated = true;
  ShowInformation(
      "The audio path has been modified.  This path will\n"
      "be used the next time you start the Sonavel Trackwright.");
}
