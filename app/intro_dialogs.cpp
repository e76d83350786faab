#include "app/intro_dialogs.h"

#include <filesystem>

#include "core/browse_folder.h"
#include "core/errors.h"
#include "core/file_utils.h"
#include "core/folder_dialog.h"
#include "app/mixer_app.h"
#include "platform/system.h"

std::string CIntro2Dialog::DefaultAudioFolder() {
  platform::Folders* folders = platform::Os().folders;
  return JoinPath(folders ? folders->HomeFolder() : "/", "sonavel_audio");
}

bool CIntro2Dialog::OnInitDialog() {
  if (platform::DialogControl* path = GetDlgItem(IDC_AUDIO_PATH)) path->SetText(DefaultAudioFolder());
  platform::DialogControl* devices = GetDlgItem(IDC_AUDIO_DEVICE);
  if (!devices) {
    ReportError("CIntro2Dialog::OnInitDialog", "Failed to get combo box for IDC_AUDIO_DEVICE.");
    return true;
  }
  devices->ResetContent();
  if (platform::WaveDevices* wave = platform::Os().waveDevices) {
    for (const auto& name : wave->OutputNames()) devices->AddString(name);
  }
  devices->SetCurSel(0);
  platform::DialogControl* off = GetDlgItem(IDC_METRO_OFF);
  if (!off) {
    ReportError("CIntro2Dialog::OnInitDialog", "Failed to get button for IDC_METRO_OFF.");
    return true;
  }
  off->SetChecked(true);
  if (platform::DialogControl* on = GetDlgItem(IDC_METRO_ON)) on->SetChecked(false);
  return true;
}

void CIntro2Dialog::OnCommand(const std::string& id) {
  if (id != IDC_BROWSE) return;
  platform::DialogControl* path = GetDlgItem(IDC_AUDIO_PATH);
  if (!path) return;
  if (auto chosen = CXFolderDialog::Choose(path->GetText())) path->SetText(*chosen);
}

void CIntro2Dialog::ApplySettings() {
  CMixerApp* app = CMixerApp::Get();
  if (!app) {
    ReportMissingObject("app", "CIntro2Dialog::ApplySettings");
    return;
  }
  platform::DialogControl* path = GetDlgItem(IDC_AUDIO_PATH);
  platform::DialogControl* devices = GetDlgItem(IDC_AUDIO_DEVICE);
  if (!devices) {
    ReportError("CIntro2Dialog::ApplySettings", "Failed to get combo box for IDC_AUDIO_DEVICE.");
    EndDialog(platform::IDCANCEL);
    return;
  }
  platform::DialogControl* off = GetDlgItem(IDC_METRO_OFF);
  if (!off) {
    ReportError("CIntro2Dialog::ApplySettings", "Failed to get button for IDC_METRO_OFF.");
    EndDialog(platform::IDCANCEL);
    return;
  }
  std::string folder = path ? path->GetText() : std::string();
  if (!AcceptAudioFolderText(folder)) return;
  std::error_code error;
  std::filesystem::create_directories(folder, error);  // an existing folder is fine
  if (IsFolderWritable(folder) != 1) {
    // The page stays open: a folder that cannot be used must not reach the record.
    ShowInformation("Cannot use " + folder +
                    " as the audio folder: it is not a folder, or it cannot be written to.  "
                    "Please choose another folder.");
    return;
  }
  int device = devices->GetCurSel() < 0 ? 0 : devices->GetCurSel();
  app->m_config = MixerConfig::FirstRunDefaults(folder, device, !off->IsChecked());
  app->m_bConfigValid = true;
  app->WriteMixerConfig();
  EndDialog(platform::IDOK);
}
