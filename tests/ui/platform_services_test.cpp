#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_window/window_placement.h"
#include "ui/platform_qt/clipboard_qt.h"
#include "ui/platform_qt/message_boxes_qt.h"
#include "ui/platform_qt/settings_store_qt.h"
#include "ui/platform_qt/shell_qt.h"
#include "ui/platform_qt/timers_qt.h"

namespace {

TEST(WindowPlacement, TextFormatRoundTrips) {
  ui::WindowPlacement placement;
  placement.flags = ui::WindowPlacement::kRestoreToMaximised;
  placement.showState = ui::WindowPlacement::kShowMaximised;
  placement.left = -1200;
  placement.top = 30;
  placement.right = -200;
  placement.bottom = 630;
  const std::string text = ui::FormatPlacement(placement);
  EXPECT_EQ(text, "2,3,-1,-1,-1,-1,-1200,30,-200,630");
  auto parsed = ui::ParsePlacement(text);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(ui::FormatPlacement(*parsed), text);
  EXPECT_TRUE(parsed->Maximised());

  auto spaced = ui::ParsePlacement(" 0, 1, -1, -1, -1, -1, 10, 20, 810, 620 ");
  ASSERT_TRUE(spaced);
  EXPECT_EQ(spaced->left, 10);
  EXPECT_EQ(spaced->bottom, 620);
  EXPECT_FALSE(spaced->Maximised());
}

TEST(WindowPlacement, MalformedTextIsRejected) {
  for (const char* text :
       {"", ",,,,,,,,,", "0,1,-1,-1,-1,-1,10,20,810", "0,1,-1,-1,-1,-1,10,20,810,620,0",
        "0,1,-1,-1,-1,-1,10,20,810,620,", "0,1,-1,-1,-1,-1,10,20,810,6x0", "-1,1,-1,-1,-1,-1,10,20,810,620",
        "0,1,-1,-1,-1,-1,10,20,10,620", "0,1,-1,-1,-1,-1,10,20,810,99999999999"}) {
    EXPECT_FALSE(ui::ParsePlacement(text)) << text;
  }
}

TEST(QtSettingsStore, ValuesPersistInTheFileBySectionAndEntry) {
  TempFolder folder;
  const QString path = QString::fromStdString(folder / "settings.ini");
  {
    ui::QtSettingsStore store(path);
    store.SetString("Settings", "MainWndPos", "0,1,-1,-1,-1,-1,10,20,810,620");
    store.SetString("Recent File List", "File1", "/home/user/take one.mix");
    store.SetString("Recent File List", "File2", "/home/user/old.mix");
    store.Remove("Recent File List", "File2");
  }
  ui::QtSettingsStore reopened(path);
  EXPECT_EQ(reopened.GetString("Settings", "MainWndPos"), "0,1,-1,-1,-1,-1,10,20,810,620");
  EXPECT_EQ(reopened.GetString("Recent File List", "File1"), "/home/user/take one.mix");
  EXPECT_EQ(reopened.GetString("Recent File List", "File2"), std::nullopt);
  EXPECT_EQ(reopened.GetString("Settings", "File1"), std::nullopt);
}

TEST(QtSettingsStore, AHandWrittenListReadsAsItsText) {
  TempFolder folder;
  std::ofstream(folder / "edited.ini") << "[Settings]\nMainWndPos=0,1,-1,-1,-1,-1,10,20,810,620\n";
  ui::QtSettingsStore store(QString::fromStdString(folder / "edited.ini"));
  EXPECT_EQ(store.GetString("Settings", "MainWndPos"), "0,1,-1,-1,-1,-1,10,20,810,620");
}

class CountingOwner : public platform::TimerOwner {
 public:
  void OnTimer(unsigned int id) override {
    ticks.push_back(id);
    if (onTick) onTick(id);
  }
  std::vector<unsigned int> ticks;
  std::function<void(unsigned int)> onTick;
};

TEST(QtTimers, TimersTickThroughThePumpUntilKilled) {
  ui::QtTimers timers;
  ui::QtMessagePump pump;
  CountingOwner first, second;
  timers.SetTimer(&first, 1, 10);
  timers.SetTimer(&first, 2, 10);
  timers.SetTimer(&second, 1, 10);
  pump.PumpFor(100);
  EXPECT_GE(first.ticks.size(), 6u);
  EXPECT_GE(second.ticks.size(), 3u);

  timers.KillTimers(&first);
  EXPECT_FALSE(timers.IsActive(&first, 1));
  EXPECT_FALSE(timers.IsActive(&first, 2));
  EXPECT_TRUE(timers.IsActive(&second, 1));
  first.ticks.clear();
  pump.PumpFor(50);
  EXPECT_TRUE(first.ticks.empty());

  // A timer killed from its own tick ticks no more.
  second.ticks.clear();
  second.onTick = [&](unsigned int id) { timers.KillTimer(&second, id); };
  pump.PumpFor(60);
  EXPECT_EQ(second.ticks, std::vector<unsigned int>{1});
}

TEST(QtTimers, SettingATimerAgainRestartsItWithTheNewPeriod) {
  ui::QtTimers timers;
  ui::QtMessagePump pump;
  CountingOwner owner;
  timers.SetTimer(&owner, 7, 1000);
  timers.SetTimer(&owner, 7, 10);
  pump.PumpFor(80);
  EXPECT_GE(owner.ticks.size(), 3u);
  timers.SetTimer(&owner, 7, 5000);
  owner.ticks.clear();
  pump.PumpFor(50);
  EXPECT_TRUE(owner.ticks.empty());
}

TEST(QtMessagePump, DispatchOneRunsWhatIsWaiting) {
  ui::QtMessagePump pump;
  FlushDeletes();
  bool ran = false;
  QObject context;
  QMetaObject::invokeMethod(
      &context, [&ran] { ran = true; }, Qt::QueuedConnection);
  EXPECT_TRUE(pump.DispatchOne());
  EXPECT_TRUE(ran);
}

TEST(QtMessageBoxes, BoxShowsThePlainTextAndReturnsThePressedButton) {
  ui::QtMessageBoxes boxes;
  WhenModalOpens([](QWidget& modal) {
    auto* box = qobject_cast<QMessageBox*>(&modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Error Message: <none>\n\nError Location: here"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Sonavel Trackwright"));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    ASSERT_NE(box->button(QMessageBox::Yes), nullptr);
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(
      boxes.Show("Error Message: <none>\r\n\r\nError Location: here", platform::kProgramCaption,
                 platform::MessageIcon::Stop, platform::MessageButtons::YesNo, platform::MessageKind::ErrorReport),
      platform::MessageResult::No);

  // Escape gives the answer that changes nothing.
  WhenModalOpens([](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Escape); });
  EXPECT_EQ(boxes.Show("Copy the report?", platform::kProgramCaption, platform::MessageIcon::Information,
                       platform::MessageButtons::OkCancel, platform::MessageKind::Message),
            platform::MessageResult::Cancel);
}

TEST(QtShell, TargetsBecomeLinksOrLocalFiles) {
  EXPECT_EQ(ui::TargetUrl("https://www.sonavel.com").scheme(), QStringLiteral("https"));
  EXPECT_EQ(ui::TargetUrl("mailto:support@sonavel.com").scheme(), QStringLiteral("mailto"));
  QUrl manual = ui::TargetUrl("/opt/trackwright/trackwright-manual.html");
  EXPECT_TRUE(manual.isLocalFile());
  EXPECT_EQ(manual.toLocalFile(), QStringLiteral("/opt/trackwright/trackwright-manual.html"));
  EXPECT_TRUE(ui::TargetUrl("my notes: take 2.html").isLocalFile());
}

TEST(QtClipboard, TextRoundTrips) {
  ui::QtClipboard clipboard;
  ASSERT_TRUE(clipboard.SetText("v1.5.2: Error Message: brush\n\nSystem Error Code: 0"));
  EXPECT_EQ(clipboard.GetText(), "v1.5.2: Error Message: brush\n\nSystem Error Code: 0");
}

}  // namespace
