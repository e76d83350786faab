// Monitor Input on the virtual input device with a manual clock: the meters follow
// the input on the dialog's own timer, Close ends monitoring, and without an input
// device the dialog says why and closes.

#include <gtest/gtest.h>

#include "engine/audio_recorder.h"
#include "engine/monitor_input_dialog.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::DialogLogic;
using platform::MemoryDialogSurface;

// Every frame at the given values.
platform::VirtualWaveIn::Source Constant(int16_t left, int16_t right) {
  return [left, right](char* out, uint32_t bytes) {
    for (uint32_t at = 0; at + 4 <= bytes; at += 4) {
      out[at] = static_cast<char>(left & 0xFF);
      out[at + 1] = static_cast<char>((left >> 8) & 0xFF);
      out[at + 2] = static_cast<char>(right & 0xFF);
      out[at + 3] = static_cast<char>((right >> 8) & 0xFF);
    }
  };
}

struct MonitorInputTest : ::testing::Test {
  TempFolder root;
  platform::ScriptedSystem system{root / "program", root / "config", root / "home"};
  AudioRecorderNonThreaded recorder;
  CMonitorInputDialog dialog{recorder};

  // Lets ms pass in 10 ms steps: the device captures and due timers fire.
  void Run(uint32_t ms) {
    for (uint32_t done = 0; done < ms; done += 10) {
      system.clock.Advance(10);
      system.wave.Pump();
      while (system.timers.DispatchOne()) {
      }
    }
  }
};

TEST_F(MonitorInputTest, TheMetersFollowTheInputUntilClose) {
  ASSERT_EQ(recorder.SetupRecorder(0), 1);
  platform::VirtualWaveIn& input = *system.wave.Inputs().front();
  input.SetSource(Constant(-32768, 32767));
  std::vector<std::pair<int, int>> shown;
  system.dialogs.OnShow("monitor_input_dialog", [&](DialogLogic& logic, MemoryDialogSurface& page) {
    EXPECT_EQ(recorder.State(), RecorderMonitoring);
    EXPECT_EQ(system.timers.PeriodOf(&dialog, CMonitorInputDialog::kTimer), 40u);
    EXPECT_EQ(page.Control(IDC_MONITOR_LEFT)->GetPos(), 0);
    Run(200);
    // Full scale reads 99 on both sides, the top of the meter.
    EXPECT_EQ(recorder.Monitor().LeftLevel(), 99);
    EXPECT_EQ(recorder.Monitor().RightLevel(), 99);
    shown.emplace_back(page.Control(IDC_MONITOR_LEFT)->GetPos(), page.Control(IDC_MONITOR_RIGHT)->GetPos());
    // A quarter of full scale on the left (level 24), silence on the right.
    input.SetSource(Constant(8175, 0));
    Run(200);
    shown.emplace_back(page.Control(IDC_MONITOR_LEFT)->GetPos(), page.Control(IDC_MONITOR_RIGHT)->GetPos());
    logic.OnCancel();
  });
  EXPECT_EQ(dialog.DoModal(), platform::IDCANCEL);
  EXPECT_EQ(shown, (std::vector<std::pair<int, int>>{{100, 100}, {49, 0}}));
  EXPECT_EQ(recorder.State(), RecorderIdle);
  EXPECT_FALSE(system.timers.IsActive(&dialog, CMonitorInputDialog::kTimer));
  EXPECT_TRUE(system.messages.shown.empty());
  // The device is free for the next monitoring or take.
  system.dialogs.OnShow("monitor_input_dialog", [&](DialogLogic& logic, MemoryDialogSurface&) {
    EXPECT_EQ(recorder.State(), RecorderMonitoring);
    logic.OnCancel();
  });
  EXPECT_EQ(dialog.DoModal(), platform::IDCANCEL);
  EXPECT_EQ(recorder.State(), RecorderIdle);
}

TEST_F(MonitorInputTest, WithoutAnInputDeviceItSaysSoAndCloses) {
  bool opened = false;
  system.dialogs.OnShow("monitor_input_dialog", [&](DialogLogic&, MemoryDialogSurface&) { opened = true; });
  EXPECT_EQ(dialog.DoModal(), platform::IDCANCEL);
  EXPECT_FALSE(opened);
  EXPECT_FALSE(system.timers.IsActive(&dialog, CMonitorInputDialog::kTimer));
  ASSERT_EQ(system.messages.shown.size(), 1u);
  EXPECT_NE(system.messages.shown[0].text.find("AudioRecorderNonThreaded::StartMonitoring"), std::string::npos);
}

}  // namespace
