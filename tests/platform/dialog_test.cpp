#include <gtest/gtest.h>

#include "platform/scripted/scripted_system.h"

namespace {

class EchoDialog : public platform::DialogLogic {
 public:
  EchoDialog() : DialogLogic("echo") {}
  bool OnInitDialog() override {
    if (auto* edit = GetDlgItem("IDC_TEXT")) edit->SetText("start");
    return true;
  }
  void OnOK() override {
    auto* edit = GetDlgItem("IDC_TEXT");
    text = edit ? edit->GetText() : "missing";
    EndDialog(platform::IDOK);
  }
  std::string text;
};

TEST(ScriptedDialogHost, ScriptPlaysTheUserAndResultComesBack) {
  platform::ScriptedSystem system("/opt/tw", "/tmp", "/home/user");
  EchoDialog dialog;
  system.dialogs.OnShow("echo", [](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
    EXPECT_EQ(surface.Control("IDC_TEXT")->GetText(), "start");
    surface.Control("IDC_TEXT")->SetText("typed");
    logic.OnOK();
  });
  EXPECT_EQ(dialog.DoModal(), platform::IDOK);
  EXPECT_EQ(dialog.text, "typed");
  EXPECT_FALSE(dialog.HasWindow());
}

TEST(ScriptedDialogHost, UnscriptedDialogIsCancelledAndMissingControlIsNull) {
  platform::ScriptedSystem system("/opt/tw", "/tmp", "/home/user");
  system.dialogs.Without("echo", "IDC_TEXT");
  EchoDialog dialog;
  system.dialogs.OnShow("echo", [](platform::DialogLogic& logic, platform::MemoryDialogSurface&) { logic.OnOK(); });
  EXPECT_EQ(dialog.DoModal(), platform::IDOK);
  EXPECT_EQ(dialog.text, "missing");

  EchoDialog other;
  system.dialogs.OnShow("echo", nullptr);
  EXPECT_EQ(other.DoModal(), platform::IDCANCEL);
}

TEST(MemoryDialogSurface, ListSelectionStaysInsideItems) {
  platform::MemoryDialogSurface surface({"IDC_LIST"});
  EXPECT_EQ(surface.GetDlgItem("IDC_OTHER"), nullptr);
  auto* list = surface.Control("IDC_LIST");
  list->AddString("a");
  list->AddString("b");
  list->SetCurSel(1);
  EXPECT_EQ(list->GetItemText(list->GetCurSel()), "b");
  list->SetCurSel(5);
  EXPECT_EQ(list->GetCurSel(), -1);
  list->SetCurSel(0);
  list->ResetContent();
  EXPECT_EQ(list->GetCurSel(), -1);
  EXPECT_EQ(list->GetCount(), 0);
}

}  // namespace
