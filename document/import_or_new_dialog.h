#pragma once

#include <string>

#include "platform/dialog_logic.h"

inline constexpr const char* IDC_IMPORT = "IDC_IMPORT";
inline constexpr const char* IDC_NEW = "IDC_NEW";

// "Opening File...": asks whether an audio file goes into the current project or
// starts a new one. DoModal returns kImport, kNew or IDCANCEL.
class CImportOrNew : public platform::DialogLogic {
 public:
  static constexpr int kImport = 100;
  static constexpr int kNew = 101;

  CImportOrNew() : DialogLogic("import_or_new_dialog") {}
  void OnCommand(const std::string& id) override {
    if (id == IDC_IMPORT) EndDialog(kImport);
    if (id == IDC_NEW) EndDialog(kNew);
  }
  // Enter means the first button, Import.
  void OnOK() override { EndDialog(kImport); }
};
