#pragma once

#include <string>
#include <vector>

#include "platform/dialog_logic.h"

inline constexpr const char* IDC_OLD_AUDIO_PATH = "IDC_OLD_AUDIO_PATH";
inline constexpr const char* IDC_OLD_BROWSE = "IDC_OLD_BROWSE";

// "Import Sonavel Mixer 2.x Project": asks for the audio folder of the earlier
// version, proposing the one its configuration file names.
class CImportOldDialog : public platform::DialogLogic {
 public:
  CImportOldDialog() : DialogLogic("import_old_dialog") {}

  bool OnInitDialog() override;
  void OnCommand(const std::string& id) override;
  void OnOK() override;

  // The folder the earlier version's configuration or folders suggest; empty when none.
  static std::string ProposedFolder();
  // The places this system keeps a Windows drive's files, for drive letter c, d or e.
  static std::vector<std::string> DriveRoots(char drive);

  std::string m_szFolder;
};
