#include "core/progress_dialog.h"

#include <gtest/gtest.h>

#include "core/main_frame.h"
#include "app/mixer_app.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/fake_main_frame.h"

namespace {

TEST(RemainingTime, Texts) {
  EXPECT_EQ(RemainingTimeText(5, 60000), "N/A");
  EXPECT_EQ(RemainingTimeText(0, 0), "N/A");
  EXPECT_EQ(RemainingTimeText(50, 30000), "31 seconds");
  EXPECT_EQ(RemainingTimeText(10, 20000), "3 minutes 1 seconds");
  EXPECT_EQ(RemainingTimeText(50, 60000), "1 minute 1 seconds");
  EXPECT_EQ(RemainingTimeText(99, 0), "1 seconds");
}

struct ProgressTest : ::testing::Test {
  platform::ScriptedSystem system{"/opt/tw", "/tmp", "/home/user"};
  CMixerApp app;
  FakeMainFrame frame;
  COperationDialog& dialog = app.m_operationDialog;
  void SetUp() override { app.SetMainFrame(&frame); }
  void TearDown() override { app.SetMainFrame(nullptr); }
  std::string Text(const char* id) { return system.dialogs.modeless->Control(id)->GetText(); }
};

TEST_F(ProgressTest, OperationShowsPercentAndEstimateWhileTheWindowIsDisabled) {
  dialog.SetMessage("Cutting audio...", 1);
  dialog.BeginOperation();
  ASSERT_NE(system.dialogs.modeless, nullptr);
  EXPECT_FALSE(frame.enabled);
  EXPECT_TRUE(system.dialogs.modeless->Centred());
  EXPECT_EQ(Text(IDC_OP_MESSAGE), "Cutting audio...");
  EXPECT_EQ(Text(IDC_OP_PERCENT), "0");
  EXPECT_EQ(Text(IDC_OP_REMAINING), "N/A");

  dialog.SetProgressRange(1000);
  dialog.UpdateProgress(10);  // the first report starts the clock
  EXPECT_EQ(Text(IDC_OP_PERCENT), "1");
  EXPECT_EQ(Text(IDC_OP_REMAINING), "N/A");
  system.clock.Advance(30000);
  dialog.UpdateProgress(500);
  EXPECT_EQ(Text(IDC_OP_PERCENT), "50");
  EXPECT_EQ(system.dialogs.modeless->Control(IDC_OP_PROGRESS)->GetPos(), 50);
  EXPECT_EQ(Text(IDC_OP_REMAINING), "31 seconds");
  dialog.StepProgress(100);
  EXPECT_EQ(Text(IDC_OP_PERCENT), "60");

  dialog.EndOperation();
  EXPECT_TRUE(frame.enabled);
  EXPECT_EQ(system.dialogs.modeless, nullptr);
}

TEST_F(ProgressTest, CancelClosesAtTheNextReportAndLaterReportsChangeNothing) {
  dialog.BeginOperation();
  dialog.SetProgressRange(100);
  dialog.UpdateProgress(10);
  dialog.OnCancel();  // the Cancel button
  int keepGoing = -1;
  OperationCallback(20, &keepGoing);
  EXPECT_EQ(keepGoing, 0);
  EXPECT_EQ(system.dialogs.modeless, nullptr);
  EXPECT_TRUE(frame.enabled);
  dialog.UpdateProgress(50);
  dialog.SetMessage("ignored", 1);
  EXPECT_EQ(dialog.Message(), "");
  EXPECT_FALSE(dialog.IsOpen());

  // The next operation starts afresh.
  dialog.BeginOperation();
  EXPECT_FALSE(dialog.CancelRequested());
  OperationCallback(50, &keepGoing);
  EXPECT_EQ(keepGoing, 1);
  EXPECT_EQ(Text(IDC_OP_PERCENT), "50");
  dialog.EndOperation();
}

TEST_F(ProgressTest, ZeroRangeCountsAsOneAndCancelCanBeGreyed) {
  dialog.BeginOperation();
  dialog.SetProgressRange(0);
  dialog.UpdateProgress(1);
  EXPECT_EQ(Text(IDC_OP_PERCENT), "100");
  dialog.DisableCancel();
  EXPECT_FALSE(system.dialogs.modeless->Control(IDC_OP_CANCEL)->IsEnabled());
  dialog.EndOperation();
  dialog.BeginOperation();
  EXPECT_TRUE(system.dialogs.modeless->Control(IDC_OP_CANCEL)->IsEnabled());
  dialog.EndOperation();
}

TEST(OperationCallback, WithoutApplicationShowsTheGuardMessage) {
  platform::ScriptedSystem system{"/opt/tw", "/tmp", "/home/user"};
  int keepGoing = 1;
  OperationCallback(5, &keepGoing);
  ASSERT_EQ(system.messages.shown.size(), 1u);
  EXPECT_EQ(system.messages.shown[0].text.rfind("Pointer to app is NULL in OperationCallback.\n\n", 0), 0u);
}

}  // namespace
