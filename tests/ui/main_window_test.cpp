#include "ui/main_window/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QToolBar>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/command_ids.h"
#include "app/mixer_app.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_window/about_dialog.h"
#include "ui/main_window/window_placement.h"

namespace {

using Lines = std::vector<std::string>;

// A menu as its visible lines: "-" for a separator, "Title >" for a submenu.
Lines Describe(const QMenu* menu) {
  Lines lines;
  for (const QAction* action : menu->actions()) {
    if (!action->isVisible()) continue;
    if (action->isSeparator()) {
      lines.push_back("-");
    } else if (action->menu()) {
      lines.push_back(action->text().toStdString() + " >");
    } else {
      lines.push_back(action->text().toStdString());
    }
  }
  return lines;
}

QMenu* Submenu(const QMenu* menu, const QString& title) {
  for (QAction* action : menu->actions()) {
    if (action->menu() && action->text() == title) return action->menu();
  }
  ADD_FAILURE() << "no submenu " << title.toStdString();
  return nullptr;
}

class MainWindowTest : public testing::Test {
 protected:
  ~MainWindowTest() override { FlushDeletes(); }
  std::optional<std::string> SavedPlacement() {
    return system.settings.GetString(ui::kPlacementSection, ui::kPlacementEntry);
  }

  platform::ScriptedSystem system{"/opt/tw", "/tmp", "/home/user"};
};

TEST_F(MainWindowTest, MenuBarHasEveryMenuAndItemInOrder) {
  ui::MainWindow window;
  std::vector<QMenu*> menus;
  Lines titles;
  for (QAction* action : window.menuBar()->actions()) {
    menus.push_back(action->menu());
    titles.push_back(action->text().toStdString());
  }
  ASSERT_EQ(titles, (Lines{"&File", "&Edit", "&Tools", "&Help"}));

  EXPECT_EQ(Describe(menus[0]), (Lines{"&New", "&Open...", "   Open &Mix File", "   Open &Wave File",
                                       "   Open M&P3 File", "-", "&Save", "Save &As...", "   Save As M&ix",
                                       "   Save As W&ave", "   Save As MP&3", "-", "Recent File >", "-", "E&xit"}));
  EXPECT_EQ(Describe(menus[1]),
            (Lines{"&Undo", "&Redo", "-", "Cu&t Highlighted Section", "&Copy Highlighted Section", "&Paste Insert",
                   "Paste &Over ", "&Delete Highlighted Section", "-", "Cut &Between Markers", "Copy Between &Markers",
                   "Delete Between M&arkers", "-", "C&lear Current Track"}));
  EXPECT_EQ(Describe(menus[2]), (Lines{"Insert &Silence", "-", "Adjust &Volume", "&Fade In/Out/Pan", "&Mute Audio",
                                       "&Reverse Audio", "S&wap Left/Right Channels", "&Copy Channel", "-",
                                       "&Import Audio >", "Mi&x Down >", "&Effects >", "Mar&kers >", "Se&ttings >"}));
  EXPECT_EQ(Describe(Submenu(menus[2], "&Import Audio")), (Lines{"Import &MP3 Audio", "Import &Wave Audio"}));
  EXPECT_EQ(Describe(Submenu(menus[2], "Mi&x Down")),
            (Lines{"Mix Down To &Track", "Mix Down to &MP3 File", "Mix Down to &Wave File"}));
  EXPECT_EQ(Describe(Submenu(menus[2], "&Effects")), (Lines{"&Echo / Delay", "&Reverb", "&Multi Voice"}));
  EXPECT_EQ(Describe(Submenu(menus[2], "Mar&kers")),
            (Lines{"Set &Begin Marker", "Set &End Marker", "Set &Highlighted Section As Markers", "-",
                   "E&rase Begin Marker", "Er&ase End Marker", "Era&se Both Markers", "-", "&Input Marker Times"}));
  EXPECT_EQ(Describe(Submenu(menus[2], "Se&ttings")),
            (Lines{"&Application Settings", "&Project Settings", "&Metronome Settings"}));
  EXPECT_EQ(Describe(menus[3]), (Lines{"Launch &Help / Documentation", "-", "&About Sonavel Trackwright..."}));
}

TEST_F(MainWindowTest, MenuItemsCarryTheirCommandIds) {
  ui::MainWindow window;
  const std::map<int, std::string> items = {
      {57600, "&New"},
      {32804, "&Open..."},
      {32771, "   Open &Mix File"},
      {32773, "   Open &Wave File"},
      {32772, "   Open M&P3 File"},
      {32819, "&Save"},
      {32820, "Save &As..."},
      {32774, "   Save As M&ix"},
      {32775, "   Save As W&ave"},
      {32776, "   Save As MP&3"},
      {57643, "&Undo"},
      {57644, "&Redo"},
      {57635, "Cu&t Highlighted Section"},
      {57634, "&Copy Highlighted Section"},
      {32805, "&Paste Insert"},
      {32806, "Paste &Over "},
      {32808, "&Delete Highlighted Section"},
      {32824, "Cut &Between Markers"},
      {32825, "Copy Between &Markers"},
      {32826, "Delete Between M&arkers"},
      {32823, "C&lear Current Track"},
      {32807, "Insert &Silence"},
      {32780, "Adjust &Volume"},
      {32781, "&Fade In/Out/Pan"},
      {32782, "&Mute Audio"},
      {32783, "&Reverse Audio"},
      {32784, "S&wap Left/Right Channels"},
      {32827, "&Copy Channel"},
      {32794, "&Multi Voice"},
      {32792, "&Echo / Delay"},
      {32793, "&Reverb"},
      {32787, "Import &MP3 Audio"},
      {32828, "Import &Wave Audio"},
      {32789, "Mix Down To &Track"},
      {32790, "Mix Down to &MP3 File"},
      {32791, "Mix Down to &Wave File"},
      {32818, "&Metronome Settings"},
      {32821, "&Application Settings"},
      {32822, "&Project Settings"},
      {32795, "Launch &Help / Documentation"},
  };
  for (const auto& [id, text] : items) {
    QAction* action = window.Action(id);
    ASSERT_NE(action, nullptr) << id;
    EXPECT_EQ(action->text().toStdString(), text) << id;
  }
}

TEST_F(MainWindowTest, ShortcutKeysAreOnTheirCommands) {
  ui::MainWindow window;
  const std::multimap<int, QKeySequence> keys = {
      {ID_FILE_NEW, QKeySequence(QStringLiteral("Ctrl+N"))},
      {ID_FILE_OPEN, QKeySequence(QStringLiteral("Ctrl+O"))},
      {ID_FILE_SAVE, QKeySequence(QStringLiteral("Ctrl+S"))},
      {ID_EDIT_UNDO, QKeySequence(QStringLiteral("Ctrl+Z"))},
      {ID_EDIT_UNDO, QKeySequence(QStringLiteral("Alt+Backspace"))},
      {ID_EDIT_REDO, QKeySequence(QStringLiteral("Ctrl+Y"))},
      {ID_EDIT_CUT, QKeySequence(QStringLiteral("Ctrl+X"))},
      {ID_EDIT_CUT, QKeySequence(QStringLiteral("Shift+Del"))},
      {ID_EDIT_COPY, QKeySequence(QStringLiteral("Ctrl+C"))},
      {ID_EDIT_COPY, QKeySequence(QStringLiteral("Ctrl+Ins"))},
      {ID_EDIT_PASTE_INSERT, QKeySequence(QStringLiteral("Ctrl+V"))},
      {ID_EDIT_PASTE_INSERT, QKeySequence(QStringLiteral("Shift+Ins"))},
      {ID_EDIT_DELETE, QKeySequence(QStringLiteral("Ctrl+Del"))},
      {ID_TRANSPORT_PLAY_STOP, QKeySequence(QStringLiteral("Ctrl+Space"))},
      {ID_TRANSPORT_REWIND, QKeySequence(QStringLiteral("Ctrl+Left"))},
      {ID_TRANSPORT_FAST_FORWARD, QKeySequence(QStringLiteral("Ctrl+Right"))},
      {ID_TRANSPORT_RECORD, QKeySequence(QStringLiteral("Ctrl+R"))},
      {ID_TRANSPORT_MONITOR, QKeySequence(QStringLiteral("Ctrl+I"))},
      {ID_TRANSPORT_MONITOR, QKeySequence(QStringLiteral("Ctrl+Shift+I"))},
      {TrackSelectCommand(0), QKeySequence(QStringLiteral("Ctrl+1"))},
      {TrackSelectCommand(7), QKeySequence(QStringLiteral("Ctrl+8"))},
      {ID_TRACK_ARM_TOGGLE, QKeySequence(QStringLiteral("Ctrl+A"))},
      {ID_TRACK_ARM_TOGGLE, QKeySequence(QStringLiteral("Ctrl+Shift+A"))},
      {ID_TRACK_SOLO_TOGGLE, QKeySequence(QStringLiteral("Ctrl+L"))},
      {ID_TRACK_SOLO_TOGGLE, QKeySequence(QStringLiteral("Ctrl+Shift+L"))},
      {ID_TRACK_MUTE_TOGGLE, QKeySequence(QStringLiteral("Ctrl+M"))},
      {ID_TRACK_MUTE_TOGGLE, QKeySequence(QStringLiteral("Ctrl+Shift+M"))},
      {ID_VIEW_ZOOM_IN, QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus))},
      {ID_VIEW_ZOOM_IN, QKeySequence(QStringLiteral("Ctrl+Shift+="))},
      {ID_VIEW_ZOOM_OUT, QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus))},
      {ID_VIEW_ZOOM_OUT, QKeySequence(QStringLiteral("Ctrl+Shift+-"))},
      {ID_HELP_DOCUMENTATION, QKeySequence(QStringLiteral("F1"))},
  };
  for (const auto& [id, key] : keys) {
    QAction* action = window.Action(id);
    ASSERT_NE(action, nullptr) << id;
    EXPECT_TRUE(action->shortcuts().contains(key)) << id << " lacks " << key.toString().toStdString();
  }
  for (int track = 0; track < kTrackSelectCommands; ++track) {
    EXPECT_EQ(window.Action(TrackSelectCommand(track))->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+%1").arg(track + 1)));
  }
  // A key bound twice would do nothing at all (Qt calls it ambiguous).
  std::map<QString, int> owners;
  for (const auto& [id, action] : window.Actions()) {
    for (const QKeySequence& key : action->shortcuts()) {
      auto [it, fresh] = owners.emplace(key.toString(), id);
      EXPECT_TRUE(fresh) << key.toString().toStdString() << " is on " << it->second << " and " << id;
    }
  }
  // Commands without a menu item or button still belong to the window.
  for (int id : {ID_TRANSPORT_PLAY_STOP, ID_TRACK_ARM_TOGGLE, ID_VIEW_ZOOM_IN, TrackSelectCommand(3)}) {
    EXPECT_TRUE(window.actions().contains(window.Action(id))) << id;
  }
}

TEST_F(MainWindowTest, OnlyWorkingCommandsAreEnabled) {
  ui::MainWindow window;
  const std::set<int> working = {ID_APP_EXIT, ID_APP_ABOUT, ID_HELP_DOCUMENTATION};
  for (int id : kAllCommandIds) {
    if (id == IDC_PROJECT_SLIDER) continue;
    QAction* action = window.Action(id);
    ASSERT_NE(action, nullptr) << "no action for command " << id;
    EXPECT_EQ(action->isEnabled(), working.count(id) == 1) << action->text().toStdString();
  }
  EXPECT_FALSE(window.ProjectSlider()->isEnabled());
  EXPECT_FALSE(window.RecentFileMenu()->menuAction()->isEnabled());
}

TEST_F(MainWindowTest, RecentFilesAreListedButCannotBeOpenedYet) {
  CMixerApp app;
  app.m_recentFiles.Add("/home/user/older.mix");
  app.m_recentFiles.Add("/home/user/R&B.mix");
  ui::MainWindow window;
  window.UpdateCommandStates();
  EXPECT_TRUE(window.RecentFileMenu()->menuAction()->isEnabled());
  EXPECT_EQ(Describe(window.RecentFileMenu()), (Lines{"&1 /home/user/R&&B.mix", "&2 /home/user/older.mix"}));
  EXPECT_FALSE(window.Action(RecentFileCommand(0))->isEnabled());
}

TEST_F(MainWindowTest, ToolbarsHoldTheirButtonsTipsClocksAndSlider) {
  ui::MainWindow window;
  auto ids = [&window](QToolBar* bar) {
    std::vector<int> found;
    for (QAction* action : bar->actions()) {
      if (action->isSeparator()) {
        found.push_back(0);
        continue;
      }
      for (const auto& [id, command] : window.Actions()) {
        if (command == action) found.push_back(id);
      }
    }
    return found;
  };
  EXPECT_EQ(
      ids(window.UpperToolBar()),
      (std::vector<int>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE_INSERT,
                        ID_EDIT_PASTE_OVER, ID_EDIT_DELETE, 0, ID_EDIT_UNDO, ID_EDIT_REDO, 0, ID_HELP_DOCUMENTATION}));
  std::vector<int> transport;
  for (int id : ids(window.LowerToolBar())) {
    if (id != 0) transport.push_back(id);
  }
  EXPECT_EQ(transport, (std::vector<int>{ID_TRANSPORT_PLAY, ID_TRANSPORT_REWIND, ID_TRANSPORT_FAST_FORWARD,
                                         ID_TRANSPORT_STOP, ID_TRANSPORT_RECORD, ID_TRANSPORT_MONITOR}));
  const std::map<int, const char*> tips = {
      {ID_FILE_NEW, "Create a New Project"},
      {ID_FILE_OPEN, "Open a Project or Audio File"},
      {ID_FILE_SAVE, "Save Current Project"},
      {ID_EDIT_CUT, "Cut the Highlighted Section and Save To Clipboard"},
      {ID_EDIT_COPY, "Copy the Highlighted Section to the Clipboard"},
      {ID_EDIT_PASTE_INSERT, "Paste Insert Audio from the Clipboard"},
      {ID_EDIT_DELETE, "Delete Highlighted Section of Audio"},
      {ID_EDIT_UNDO, "Undo the Last Action"},
      {ID_EDIT_REDO, "Redo the Previous Undo Action"},
      {ID_HELP_DOCUMENTATION, "View Help Topics"},
      {ID_TRANSPORT_PLAY, "Play Audio of the Current Project"},
      {ID_TRANSPORT_REWIND, "Rewind to the Beginning of the Project"},
      {ID_TRANSPORT_STOP, "Stop Playing Audio"},
      {ID_TRANSPORT_RECORD, "Record Audio to the Armed Track"},
      {ID_TRANSPORT_MONITOR, "Monitor Any Incoming Audio"},
  };
  for (const auto& [id, tip] : tips) EXPECT_EQ(window.Action(id)->toolTip(), QLatin1String(tip)) << id;
  for (int id : ids(window.UpperToolBar())) {
    if (id != 0) {
      EXPECT_FALSE(window.Action(id)->icon().isNull()) << id;
    }
  }

  for (int i = 0; i < ui::MainWindow::kClockFields; ++i) {
    QLineEdit* clock = window.ClockField(i);
    EXPECT_TRUE(clock->isReadOnly());
    EXPECT_TRUE(clock->font().bold());
    EXPECT_TRUE(window.LowerToolBar()->isAncestorOf(clock));
  }
  EXPECT_EQ(window.ClockField(3)->text(), QStringLiteral("00:00.000"));
  EXPECT_EQ(window.ProjectSlider()->minimum(), 0);
  EXPECT_EQ(window.ProjectSlider()->maximum(), 100);
  EXPECT_EQ(window.ProjectSlider()->pageStep(), 20);
}

TEST_F(MainWindowTest, ContextMenuHoldsTheMarkerCommands) {
  ui::MainWindow window;
  std::vector<QAction*> commands;
  for (QAction* action : window.ContextMenu()->actions()) {
    if (!action->isSeparator()) commands.push_back(action);
  }
  std::vector<QAction*> markers;
  for (int id : {ID_MARKER_SET_BEGIN, ID_MARKER_SET_END, ID_MARKER_SET_HIGHLIGHT, ID_MARKER_ERASE_BEGIN,
                 ID_MARKER_ERASE_END, ID_MARKER_ERASE_BOTH, ID_MARKER_INPUT_TIMES}) {
    markers.push_back(window.Action(id));
  }
  EXPECT_EQ(commands, markers);

  window.ShowMainWindow(false);
  QWidget* area = window.WaveformArea();
  QContextMenuEvent click(QContextMenuEvent::Mouse, area->rect().center(), area->mapToGlobal(area->rect().center()));
  QApplication::sendEvent(window.centralWidget(), &click);
  EXPECT_TRUE(window.ContextMenu()->isVisible());
  window.ContextMenu()->hide();
}

TEST_F(MainWindowTest, FirstStartIsTheDefaultSizeAndTitleNamesTheDocument) {
  ui::MainWindow window;
  window.ShowMainWindow(false);
  EXPECT_EQ(window.size(), QSize(1032, 600));
  EXPECT_FALSE(window.isMaximized());
  window.SetDocumentTitle("Untitled");
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Untitled - Sonavel Trackwright"));
  window.SetDocumentTitle("session 3.mix");
  EXPECT_EQ(window.windowTitle(), QStringLiteral("session 3.mix - Sonavel Trackwright"));
}

TEST_F(MainWindowTest, PlacementIsSavedOnCloseAndRestored) {
  {
    ui::MainWindow window;
    window.ShowMainWindow(false);
    window.setGeometry(120, 90, 700, 450);
    window.close();
  }
  EXPECT_EQ(SavedPlacement(), "0,1,-1,-1,-1,-1,120,90,820,540");
  ui::MainWindow restored;
  restored.ShowMainWindow(true);
  EXPECT_EQ(restored.geometry(), QRect(120, 90, 700, 450));
  EXPECT_FALSE(restored.isMaximized());
}

TEST_F(MainWindowTest, AMaximisedWindowComesBackMaximised) {
  {
    ui::MainWindow window;
    window.ShowMainWindow(false);
    window.setGeometry(60, 40, 640, 400);
    window.showMaximized();
  }  // written as the window is destroyed
  auto saved = SavedPlacement();
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->substr(0, 4), "2,3,");
  ui::MainWindow restored;
  restored.ShowMainWindow(true);
  EXPECT_TRUE(restored.isMaximized());
  EXPECT_EQ(restored.normalGeometry(), QRect(60, 40, 640, 400));
}

TEST_F(MainWindowTest, AnUnusablePlacementIsIgnored) {
  for (const char* text : {"", "garbage", "0,1,-1,-1,-1,-1,10,10,500", "0,1,-1,-1,-1,-1,10,10,500,400,9",
                           "0,1,-1,-1,-1,-1,500,400,10,10", "-2,1,-1,-1,-1,-1,10,10,500,400"}) {
    SCOPED_TRACE(text);
    system.settings.SetString(ui::kPlacementSection, ui::kPlacementEntry, text);
    ui::MainWindow window;
    window.ShowMainWindow(true);
    EXPECT_EQ(window.size(), QSize(1032, 600));
    EXPECT_FALSE(window.isMaximized());
    window.hide();
  }
  // A placement on a screen that is gone keeps its size but comes back into view.
  system.settings.SetString(ui::kPlacementSection, ui::kPlacementEntry, "0,1,-1,-1,-1,-1,-9000,-9000,-8400,-8600");
  ui::MainWindow window;
  window.ShowMainWindow(true);
  EXPECT_EQ(window.size(), QSize(600, 400));
  EXPECT_TRUE(window.screen()->availableGeometry().intersects(window.geometry()));
}

TEST_F(MainWindowTest, ExitClosesTheWindowAndADisabledWindowTakesNoCommands) {
  ui::MainWindow window;
  window.ShowMainWindow(false);
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  window.EnableWindow(false);
  EXPECT_FALSE(window.IsWindowEnabled());
  QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_TRUE(window.isVisible());

  window.EnableWindow(true);
  EXPECT_TRUE(window.IsWindowEnabled());
  QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(SavedPlacement());
}

TEST_F(MainWindowTest, AboutBoxShowsTheVersionAndOpensItsLinks) {
  ui::MainWindow window;
  window.ShowMainWindow(false);
  WhenModalOpens([](QWidget& modal) {
    EXPECT_EQ(modal.windowTitle(), QStringLiteral("About Sonavel Trackwright"));
    auto* version = modal.findChild<QLabel*>(QStringLiteral("programVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->text().contains(QLatin1String(TRACKWRIGHT_VERSION)));
    static_cast<QDialog&>(modal).accept();
  });
  window.Action(ID_APP_ABOUT)->trigger();

  ui::AboutDialog about;
  about.OpenLink(QLatin1String(ui::AboutDialog::kSupportMail));
  EXPECT_EQ(system.shell.opened, std::vector<std::string>{"mailto:support@sonavel.com"});
  EXPECT_TRUE(about.WasVisited(QLatin1String(ui::AboutDialog::kSupportMail)));
  EXPECT_TRUE(system.messages.shown.empty());

  system.shell.result = platform::kShellNoAssociation;
  about.OpenLink(QLatin1String(ui::AboutDialog::kEncoderSite));
  EXPECT_FALSE(about.WasVisited(QLatin1String(ui::AboutDialog::kEncoderSite)));
  ASSERT_EQ(system.messages.shown.size(), 1u);
  EXPECT_EQ(system.messages.shown[0].text.rfind("Unable to open hyperlink:\n\n", 0), 0u);
  EXPECT_EQ(system.messages.shown[0].icon, platform::MessageIcon::Warning);
}

}  // namespace

namespace {

// The visible text of a menu item: without mnemonics, the indent and the dots.
std::string ItemText(const QAction* action) {
  QString text = action->text();
  text.remove(QLatin1Char('&'));
  text = text.trimmed();
  if (text.endsWith(QStringLiteral("..."))) text.chop(3);
  return text.toStdString();
}

void CollectItems(const QMenu* menu, std::vector<std::string>& items) {
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    if (action->menu()) {
      CollectItems(action->menu(), items);
    } else if (!action->text().isEmpty()) {
      items.push_back(ItemText(action));
    }
  }
}

}  // namespace

TEST_F(MainWindowTest, TheManualCoversEveryMenuCommandAndHelpOpensIt) {
  const std::string manual = ReadFileBytes(TRACKWRIGHT_MANUAL);
  ASSERT_FALSE(manual.empty());
  ui::MainWindow window;
  std::vector<std::string> items;
  for (QAction* menu : window.menuBar()->actions()) CollectItems(menu->menu(), items);
  ASSERT_GT(items.size(), 40u);
  for (const std::string& item : items) {
    std::string html = item;
    for (size_t at = html.find('&'); at != std::string::npos; at = html.find('&', at + 5)) html.replace(at, 1, "&amp;");
    EXPECT_NE(manual.find(html), std::string::npos) << "the manual does not name \"" << item << "\"";
  }

  TempFolder data;
  WriteFileBytes(data / "trackwright-manual.html", manual);
  platform::FixedFolders folders("/opt/tw/trackwright", data.Path(), "/home/user");
  platform::Os().folders = &folders;
  window.Action(ID_HELP_DOCUMENTATION)->trigger();
  ASSERT_EQ(system.shell.opened.size(), 1u);
  EXPECT_EQ(system.shell.opened[0], "file://" + (data / "trackwright-manual.html"));
  platform::Os().folders = &system.folders;
}
