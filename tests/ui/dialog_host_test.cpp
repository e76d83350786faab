#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/mixer_app.h"
#include "core/progress_dialog.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_window/main_window.h"
#include "ui/platform_qt/dialog_host_qt.h"

namespace {

using platform::DialogControl;

// A logic that records which of its handlers the host called.
class ProbeLogic : public platform::DialogLogic {
 public:
  explicit ProbeLogic(std::string layout = "test_probe") : DialogLogic(std::move(layout)) {}

  bool OnInitDialog() override {
    events.push_back("init");
    if (onInit) onInit(*this);
    return true;
  }
  void OnOK() override {
    events.push_back("ok");
    EndDialog(okCode);
  }
  void OnCancel() override {
    events.push_back("cancel");
    if (cancelEnds) EndDialog(platform::IDCANCEL);
  }
  void OnCommand(const std::string& id) override { events.push_back("command " + id); }
  void OnHScroll(const std::string& id) override { events.push_back("scroll " + id); }
  void OnKillFocus(const std::string& id) override { events.push_back("killfocus " + id); }
  void OnDoubleClick(const std::string& id) override { events.push_back("doubleclick " + id); }
  void OnSelChange(const std::string& id) override { events.push_back("selchange " + id); }

  std::vector<std::string> events;
  std::function<void(ProbeLogic&)> onInit;
  int okCode = platform::IDOK;
  bool cancelEnds = true;
};

template <typename T>
T* Child(QWidget& window, const char* name) {
  T* child = window.findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

class QtDialogHostTest : public testing::Test {
 protected:
  QtDialogHostTest() { platform::Os().dialogs = &host; }
  ~QtDialogHostTest() override { FlushDeletes(); }

  platform::ScriptedSystem system{"/opt/tw", "/tmp", "/home/user"};
  ui::QtDialogHost host;
};

TEST_F(QtDialogHostTest, ButtonsAndSelectionsReachTheLogicAndEndDialogsCodeComesBack) {
  ProbeLogic logic;
  logic.okCode = 5;
  logic.onInit = [](ProbeLogic& l) {
    for (const char* item : {"first", "second", "third"}) l.GetDlgItem("IDC_COMBO")->AddString(item);
    l.GetDlgItem("IDC_COMBO")->SetCurSel(0);
  };
  WhenModalOpens([](QWidget& window) {
    Child<QPushButton>(window, "IDC_BUTTON")->click();
    Child<QRadioButton>(window, "IDC_RADIO2")->click();
    QTest::keyClick(Child<QComboBox>(window, "IDC_COMBO"), Qt::Key_Down);
    Child<QPushButton>(window, "IDOK")->click();
  });
  EXPECT_EQ(logic.DoModal(), 5);
  EXPECT_EQ(logic.events, (std::vector<std::string>{"init", "command IDC_BUTTON", "command IDC_RADIO2",
                                                    "selchange IDC_COMBO", "ok"}));
  EXPECT_FALSE(logic.HasWindow());
}

TEST_F(QtDialogHostTest, ClosingTheWindowAndEscapeAreCancel) {
  ProbeLogic closed;
  WhenModalOpens([](QWidget& window) { window.close(); });
  EXPECT_EQ(closed.DoModal(), platform::IDCANCEL);
  EXPECT_EQ(closed.events, (std::vector<std::string>{"init", "cancel"}));

  ProbeLogic escaped;
  WhenModalOpens([](QWidget& window) { QTest::keyClick(&window, Qt::Key_Escape); });
  EXPECT_EQ(escaped.DoModal(), platform::IDCANCEL);
  EXPECT_EQ(escaped.events.back(), "cancel");
}

TEST_F(QtDialogHostTest, ALogicThatIgnoresCancelKeepsItsWindow) {
  ProbeLogic logic;
  logic.cancelEnds = false;
  WhenModalOpens([](QWidget& window) {
    window.close();
    EXPECT_TRUE(window.isVisible());
    Child<QPushButton>(window, "IDOK")->click();
  });
  EXPECT_EQ(logic.DoModal(), platform::IDOK);
  EXPECT_EQ(logic.events, (std::vector<std::string>{"init", "cancel", "ok"}));
}

TEST_F(QtDialogHostTest, EndDialogDuringInitEndsWithoutShowing) {
  ProbeLogic logic;
  logic.onInit = [](ProbeLogic& l) { l.EndDialog(9); };
  EXPECT_EQ(logic.DoModal(), 9);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(QtDialogHostTest, MissingLayoutIsAFailedDialog) {
  ProbeLogic logic("no_such_layout");
  EXPECT_EQ(logic.DoModal(), -1);
  EXPECT_EQ(host.CreateModeless(logic), nullptr);
  EXPECT_TRUE(logic.events.empty());
}

TEST_F(QtDialogHostTest, ControlsRoundTripTheirValuesWithoutCallingHandlers) {
  ProbeLogic logic;
  auto window = host.CreateModeless(logic);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(logic.GetDlgItem("IDC_NOT_THERE"), nullptr);

  DialogControl* combo = logic.GetDlgItem("IDC_COMBO");
  combo->ResetContent();
  EXPECT_EQ(combo->AddString("Built-in Audio"), 0);
  EXPECT_EQ(combo->AddString("USB Interface"), 1);
  EXPECT_EQ(combo->GetCurSel(), -1);
  combo->SetCurSel(1);
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_EQ(combo->GetText(), "USB Interface");
  EXPECT_EQ(combo->GetItemText(0), "Built-in Audio");
  EXPECT_EQ(combo->GetItemText(2), "");
  combo->SetCurSel(2);
  EXPECT_EQ(combo->GetCurSel(), -1);
  EXPECT_EQ(combo->GetCount(), 2);

  DialogControl* slider = logic.GetDlgItem("IDC_SLIDER");
  slider->SetRange(0, 40);
  slider->SetPageSize(5);
  slider->SetPos(25);
  EXPECT_EQ(slider->GetPos(), 25);
  slider->SetPos(90);
  EXPECT_EQ(slider->GetPos(), 40);
  DialogControl* scroll = logic.GetDlgItem("IDC_SCROLL");
  scroll->SetRange(-10, 10);
  scroll->SetPos(-4);
  EXPECT_EQ(scroll->GetPos(), -4);

  DialogControl* edit = logic.GetDlgItem("IDC_EDIT");
  edit->SetText("/home/user/sonavel_audio");
  EXPECT_EQ(edit->GetText(), "/home/user/sonavel_audio");
  edit->SetEnabled(false);
  EXPECT_FALSE(edit->IsEnabled());

  DialogControl* list = logic.GetDlgItem("IDC_LIST");
  list->AddString("Echo");
  list->AddString("Reverb");
  EXPECT_EQ(list->GetCurSel(), -1);
  list->SetCurSel(1);
  EXPECT_EQ(list->GetCurSel(), 1);
  EXPECT_EQ(list->GetItemText(0), "Echo");
  list->SetCurSel(-1);
  EXPECT_EQ(list->GetCurSel(), -1);

  DialogControl* progress = logic.GetDlgItem("IDC_PROGRESS");
  progress->SetRange(0, 100);
  progress->SetPos(42);
  EXPECT_EQ(progress->GetPos(), 42);

  DialogControl* text = logic.GetDlgItem("IDC_TEXT");
  text->SetText("two\nlines");
  EXPECT_EQ(text->GetText(), "two\nlines");
  DialogControl* label = logic.GetDlgItem("IDC_LABEL");
  label->SetText("50");
  EXPECT_EQ(label->GetText(), "50");

  DialogControl* check = logic.GetDlgItem("IDC_CHECK");
  check->SetChecked(true);
  EXPECT_TRUE(check->IsChecked());

  // A radio button can be cleared by the program, leaving none of its group checked.
  DialogControl* one = logic.GetDlgItem("IDC_RADIO1");
  DialogControl* two = logic.GetDlgItem("IDC_RADIO2");
  one->SetChecked(true);
  two->SetChecked(true);
  EXPECT_FALSE(one->IsChecked());
  two->SetChecked(false);
  EXPECT_FALSE(two->IsChecked());
  EXPECT_FALSE(one->IsChecked());

  // Not one of these changes was the user's.
  EXPECT_EQ(logic.events, std::vector<std::string>{"init"});
}

TEST_F(QtDialogHostTest, UserEditsOfSlidersListsAndEditsReachTheirHandlers) {
  ProbeLogic logic;
  auto handle = host.CreateModeless(logic);
  QWidget* window = VisibleWindow(QStringLiteral("test_probe"));
  ASSERT_NE(window, nullptr);
  logic.GetDlgItem("IDC_LIST")->AddString("Echo");
  logic.GetDlgItem("IDC_LIST")->AddString("Reverb");

  QTest::keyClick(Child<QSlider>(*window, "IDC_SLIDER"), Qt::Key_Right);

  auto* list = Child<QListWidget>(*window, "IDC_LIST");
  QRect second = list->visualItemRect(list->item(1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());

  auto* edit = Child<QLineEdit>(*window, "IDC_EDIT");
  QTest::keyClicks(edit, "12");
  QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(edit, &leave);

  auto has = [&logic](const std::string& event) {
    return std::find(logic.events.begin(), logic.events.end(), event) != logic.events.end();
  };
  EXPECT_TRUE(has("scroll IDC_SLIDER"));
  EXPECT_TRUE(has("selchange IDC_LIST"));
  EXPECT_TRUE(has("doubleclick IDC_LIST"));
  EXPECT_TRUE(has("killfocus IDC_EDIT"));
  EXPECT_EQ(logic.GetDlgItem("IDC_LIST")->GetCurSel(), 1);
}

TEST_F(QtDialogHostTest, AModelessDialogLivesUntilItsHandleGoes) {
  ProbeLogic logic;
  auto handle = host.CreateModeless(logic);
  ASSERT_NE(VisibleWindow(QStringLiteral("test_probe")), nullptr);
  EXPECT_TRUE(logic.HasWindow());

  // EndDialog hides it; the controls stay reachable until the handle is destroyed.
  logic.EndDialog(platform::IDOK);
  EXPECT_EQ(VisibleWindow(QStringLiteral("test_probe")), nullptr);
  EXPECT_NE(logic.GetDlgItem("IDC_EDIT"), nullptr);

  handle.reset();
  EXPECT_FALSE(logic.HasWindow());
  FlushDeletes();
  for (QWidget* widget : QApplication::topLevelWidgets()) EXPECT_NE(widget->objectName(), QStringLiteral("test_probe"));
}

// The progress dialog on its real layout, during an operation on a real main window.
TEST(OperationDialogOnQt, ShowsProgressAndCancelWorksWhileTheMainWindowIsDisabled) {
  TempFolder folder;
  platform::ScriptedSystem system("/opt/tw", folder.Path(), folder.Path());
  ui::QtDialogHost host;
  platform::Os().dialogs = &host;
  ui::MainWindow window;
  window.show();
  CMixerApp app;
  app.SetMainFrame(&window);
  COperationDialog& progress = app.m_operationDialog;

  progress.SetMessage("Cutting the highlighted section", 1);
  progress.BeginOperation();
  EXPECT_FALSE(window.isEnabled());
  QWidget* dialog = VisibleWindow(QStringLiteral("operation_dialog"));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Child<QLabel>(*dialog, "IDC_OP_MESSAGE")->text(), QStringLiteral("Cutting the highlighted section"));
  auto* cancel = Child<QPushButton>(*dialog, "IDCANCEL");
  EXPECT_TRUE(cancel->isEnabled());
  // However often the main window is disabled meanwhile, Cancel stays usable.
  window.EnableWindow(true);
  window.EnableWindow(false);
  EXPECT_TRUE(cancel->isEnabled());

  progress.SetProgressRange(200);
  progress.UpdateProgress(1);
  system.clock.Advance(3000);
  progress.UpdateProgress(100);
  EXPECT_EQ(Child<QLabel>(*dialog, "IDC_OP_PERCENT")->text(), QStringLiteral("50"));
  EXPECT_EQ(Child<QProgressBar>(*dialog, "IDC_OP_PROGRESS")->value(), 50);
  EXPECT_EQ(Child<QLabel>(*dialog, "IDC_OP_REMAINING")->text(), QStringLiteral("4 seconds"));

  QTest::mouseClick(cancel, Qt::LeftButton);
  EXPECT_TRUE(progress.CancelRequested());
  EXPECT_TRUE(dialog->isVisible());

  // The operation's next report ends it.
  progress.UpdateProgress(150);
  EXPECT_FALSE(progress.IsOpen());
  EXPECT_TRUE(window.isEnabled());
  EXPECT_EQ(VisibleWindow(QStringLiteral("operation_dialog")), nullptr);
  app.SetMainFrame(nullptr);
  FlushDeletes();
}

}  // namespace

// The settings dialog on its real layouts: a page is made when its tab is first chosen,
// inside that tab, and the pages go with the dialog.
TEST_F(QtDialogHostTest, SettingsPagesAreMadeInTheirTabsWhenFirstChosen) {
  CMixerApp app;
  app.m_config.audioFolder = "/music/projects";
  app.m_config.outlineColour[0] = 3;
  const MixerConfig before = app.m_config;
  WhenModalOpens([&](QWidget& window) {
    auto* tabs = Child<QTabWidget>(window, "IDC_SETTINGS_TABS");
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("I/O Audio Device"));
    QWidget* pathPage = Child<QWidget>(window, "IDC_PAGE_AUDIO_PATH");
    auto* path = Child<QLineEdit>(*pathPage, "IDC_AUDIO_PATH");
    EXPECT_EQ(path->text(), QStringLiteral("/music/projects"));
    // The Tab key reaches the page's controls before the dialog's buttons.
    QWidget* next = tabs->tabBar();
    while (next != path && next->objectName() != QLatin1String("IDOK")) next = next->nextInFocusChain();
    EXPECT_EQ(next, path);
    EXPECT_EQ(window.findChild<QComboBox*>(QStringLiteral("IDC_BODY_COLOR")), nullptr);

    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
    QWidget* colourPage = Child<QWidget>(window, "IDC_PAGE_COLOR_SETTINGS");
    auto* outline = Child<QComboBox>(*colourPage, "IDC_OUTLINE_COLOR");
    ASSERT_NE(outline, nullptr);
    EXPECT_EQ(outline->count(), CColourTable::kCount);
    EXPECT_EQ(outline->currentText(), QStringLiteral("Orange"));
    EXPECT_TRUE(Child<QRadioButton>(*colourPage, "IDC_COLOR_TRACK1")->isChecked());
    Child<QRadioButton>(*colourPage, "IDC_COLOR_TRACK2")->click();
    EXPECT_EQ(outline->currentIndex(), before.outlineColour[1]);
    Child<QPushButton>(window, "IDOK")->click();
  });
  EXPECT_EQ(app.m_appSettingsDialog.DoModal(), platform::IDOK);
  EXPECT_EQ(app.m_config.Encode(), before.Encode());
  EXPECT_FALSE(app.m_appSettingsDialog.m_colorSettings.HasWindow());
  EXPECT_TRUE(system.messages.shown.empty());

  // Escape in a page's field closes the dialog and its pages with it.
  WhenModalOpens([&](QWidget& window) {
    auto* path = Child<QLineEdit>(window, "IDC_AUDIO_PATH");
    path->setText(QStringLiteral("/elsewhere"));
    QTest::keyClick(path, Qt::Key_Escape);
  });
  EXPECT_EQ(app.m_appSettingsDialog.DoModal(), platform::IDCANCEL);
  EXPECT_FALSE(app.m_appSettingsDialog.m_audioPath.HasWindow());
  EXPECT_EQ(app.m_config.audioFolder, "/music/projects");
}
