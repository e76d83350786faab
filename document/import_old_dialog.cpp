#include "document/import_old_dialog.h"

#include <cstdio>
#include <filesystem>

#include "core/browse_folder.h"
#include "core/errors.h"
#include "core/file_utils.h"
#include "platform/system.h"

namespace fs = std::filesystem;

std::vector<std::string> CImportOldDialog::DriveRoots(char drive) {
  std::vector<std::string> roots{std::string("/mnt/") + drive};
  platform::Folders* folders = platform::Os().folders;
  std::string home = folders ? folders->HomeFolder() : "/";
  if (drive == 'c') roots.push_back(JoinPath(home, ".wine/drive_c"));
  return roots;
}

namespace {

// A folder text of the earlier version ("c:\Sonavel") as a path here.
std::string LocalPath(const std::string& windowsPath) {
  std::string path = windowsPath;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (path.size() >= 2 && path[1] == ':') {
    char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    for (const std::string& root : CImportOldDialog::DriveRoots(drive)) {
      if (fs::is_directory(root)) return root + path.substr(2);
    }
  }
  return path;
}

std::string ReadFolderText(const std::string& file, long offset) {
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (!in) return {};
  char text[260] = {};
  if (std::fseek(in, offset, SEEK_SET) == 0) std::fread(text, 1, 259, in);
  std::fclose(in);
  return LocalPath(text);
}

}  // namespace

std::string CImportOldDialog::ProposedFolder() {
  struct OldConfig {
    const char* file;
    long offset;
  };
  const OldConfig configs[] = {{"Program Files/Sonavel/Sonavel Mixer Version 2.9/sonmix.cfg", 7},
                               {"Program Files/Sonavel/Sonavel Mixer 2.5/sonmix.cfg", 7},
                               {"sonmix.cfg", 1}};
  for (const OldConfig& config : configs) {
    for (char drive : {'c', 'd', 'e'}) {
      for (const std::string& root : DriveRoots(drive)) {
        std::string file = JoinPath(root, config.file);
        if (fs::is_regular_file(file)) return ReadFolderText(file, config.offset);
      }
    }
  }
  for (char drive : {'c', 'd', 'e'}) {
    for (const std::string& root : DriveRoots(drive)) {
      if (fs::is_directory(JoinPath(root, "Sonavel"))) return JoinPath(root, "Sonavel");
    }
  }
  return {};
}

bool CImportOldDialog::OnInitDialog() {
  m_szFolder = ProposedFolder();
  if (m_szFolder.empty()) {
    ShowInformation(
        "Failed to find the audio directory associated with Sonavel Mixer Version 2.x\n"
        "Please click 'Browse' and manually select the audio directory associated with the project.");
  }
  if (platform::DialogControl* field = GetDlgItem(IDC_OLD_AUDIO_PATH)) field->SetText(m_szFolder);
  return true;
}

void CImportOldDialog::OnCommand(const std::string& id) {
  if (id != IDC_OLD_BROWSE) return;
  platform::DialogControl* field = GetDlgItem(IDC_OLD_AUDIO_PATH);
  std::string folder = field ? field->GetText() : m_szFolder;
  if (CBrowseFolderDialog::GoBrowse(folder, false) == 1 && field) field->SetText(folder);
}

void CImportOldDialog::OnOK() {
  if (platform::DialogControl* field = GetDlgItem(IDC_OLD_AUDIO_PATH)) m_szFolder = field->GetText().substr(0, 259);
  EndDialog(platform::IDOK);
}
