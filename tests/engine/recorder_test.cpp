// The recording engine on the virtual input device with a manual clock: what a take
// writes to its file, on a disk that keeps up and on one that stalls, how it stops and
// fails, the delay checks, and the levels of recording and monitoring.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "engine/audio_failure_dialog.h"
#include "engine/audio_recorder.h"
#include "engine/meter_response.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/held_pipe.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr uint32_t kSecond = 176400;
constexpr uint32_t kHalf = 88200;

// Frame n of the test input: each frame different from every other.
void PutFrame(char* out, uint32_t n) {
  const uint16_t left = static_cast<uint16_t>(n);
  const uint16_t right = static_cast<uint16_t>((n >> 16) ^ 0x5A5A);
  out[0] = static_cast<char>(left & 0xFF);
  out[1] = static_cast<char>(left >> 8);
  out[2] = static_cast<char>(right & 0xFF);
  out[3] = static_cast<char>(right >> 8);
}

std::string CountingFrames(uint32_t first, uint32_t count) {
  std::string bytes(size_t{count} * 4, '\0');
  for (uint32_t i = 0; i < count; ++i) PutFrame(&bytes[size_t{i} * 4], first + i);
  return bytes;
}

struct Session : RecordingSessionObserver {
  explicit Session(AudioRecorderNonThreaded& recorder) : recorder(recorder) {}
  // As the recording dialog's Cancel: stop, then finalize the take it discards.
  void CancelRecording() override {
    ++cancels;
    recorder.StopRecording();
    recorder.FinalizeRecordSession();
  }
  void RecordingWriteFailed() override { ++writeFailures; }
  AudioRecorderNonThreaded& recorder;
  int cancels = 0;
  int writeFailures = 0;
};

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system.clock.Set(500000);
    system.dialogs.OnShow("audio_failure_dialog", [this](platform::DialogLogic& logic, platform::MemoryDialogSurface& s) {
      failures.push_back(s.Caption() + " | " + dynamic_cast<CAudioIOFailureDialog&>(logic).MailSubject());
    });
    ASSERT_EQ(recorder.SetupRecorder(0), 1);
    ASSERT_EQ(system.wave.Inputs().size(), 1u);
    Input().SetSource([this](char* out, uint32_t bytes) {
      for (uint32_t at = 0; at + 4 <= bytes; at += 4) PutFrame(out + at, nextFrame++);
    });
    take.szPath = root / "recorded_audio.pcm";
  }

  platform::VirtualWaveIn& Input() { return *system.wave.Inputs().front(); }

  void Start() {
    ASSERT_EQ(PCMFileOpen(&take, kPCMWrite), 1);
    firstFrame = nextFrame;
    ASSERT_EQ(recorder.StartRecording(&take, &session), 1);
    ASSERT_EQ(recorder.State(), RecorderRecording);
  }
  // Lets ms pass in 10 ms steps; the device captures and, every 40 ms, the session's
  // timer services the engine and samples its start (while it records) and, while
  // monitoring, the monitor.
  void Run(uint32_t ms, bool service = true) {
    for (uint32_t done = 0; done < ms; done += 10) {
      system.clock.Advance(10);
      system.wave.Pump();
      sinceService += 10;
      if (sinceService < 40) continue;
      sinceService = 0;
      if (!service) continue;
      if (recorder.State() == RecorderRecording) recorder.ServiceRecording();
      if (recorder.State() == RecorderRecording) recorder.SampleStartTick(system.clock.GetTickCount());
      if (recorder.State() == RecorderMonitoring) recorder.Monitor().HandleBuffer();
    }
  }
  // The writes go to the recorder's own thread: services at one tick until the
  // failure of one has been reported (ten seconds at most).
  void ServiceUntilWriteFails() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (recorder.State() == RecorderRecording && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      recorder.ServiceRecording();
    }
  }
  std::string TakeBytes() { return ReadFileBytes(take.szPath); }
  bool Reported(const std::string& text) {
    for (const auto& box : system.messages.shown)
      if (box.text.find(text) != std::string::npos) return true;
    return false;
  }

  TempFolder root;
  platform::ScriptedSystem system{root / "program", root / "config", root / "home"};
  AudioRecorderNonThreaded recorder;
  Session session{recorder};
  PCMFile take;
  uint32_t nextFrame = 0;
  uint32_t firstFrame = 0;
  uint32_t sinceService = 0;
  std::vector<std::string> failures;
};

TEST_F(RecorderTest, ATakeHoldsEveryFrameOnceInOrderUpToTheStop) {
  Start();
  // 2.3 seconds: four whole buffers and part of a fifth, across four buffer swaps.
  Run(2300);
  EXPECT_EQ(recorder.BytesRecorded(), 4 * kHalf);
  ASSERT_EQ(recorder.StopRecording(), 1);
  EXPECT_EQ(recorder.State(), RecorderIdle);
  ASSERT_EQ(recorder.FinalizeRecordSession(), 1);
  const uint32_t frames = 2300 * 441 / 10;
  EXPECT_EQ(recorder.RecordedLength(), frames * 4);
  EXPECT_EQ(take.fp, nullptr);
  const std::string bytes = TakeBytes();
  ASSERT_EQ(bytes.size(), size_t{frames} * 4);
  EXPECT_TRUE(bytes == CountingFrames(firstFrame, frames)) << "frames lost, repeated or out of order";
  EXPECT_TRUE(system.messages.shown.empty());
  EXPECT_TRUE(failures.empty());

  // A second take starts its file and its count afresh.
  Start();
  Run(700);
  ASSERT_EQ(recorder.StopRecording(), 1);
  ASSERT_EQ(recorder.FinalizeRecordSession(), 1);
  EXPECT_TRUE(TakeBytes() == CountingFrames(firstFrame, 700 * 441 / 10));
}

TEST_F(RecorderTest, TheStopWritesBuffersTheServiceHasNotReachedYet) {
  Start();
  Run(1000);
  EXPECT_EQ(recorder.BytesRecorded(), 2 * kHalf);
  // The timer does not come for 300 ms: a full buffer waits, the next one fills.
  Run(300, false);
  ASSERT_EQ(recorder.StopRecording(), 1);
  ASSERT_EQ(recorder.FinalizeRecordSession(), 1);
  EXPECT_TRUE(TakeBytes() == CountingFrames(firstFrame, 1300 * 441 / 10));
  // Nothing arrives after the stop.
  Run(1000);
  EXPECT_EQ(TakeBytes().size(), size_t{1300 * 441 / 10} * 4);
}

TEST_F(RecorderTest, AFullDiskIsReportedAndEndsTheTake) {
  take.szPath = "/dev/full";
  Start();
  Run(600);
  ServiceUntilWriteFails();
  EXPECT_EQ(session.writeFailures, 1);
  EXPECT_EQ(recorder.State(), RecorderIdle);
  EXPECT_TRUE(recorder.WriteFailed());
  EXPECT_TRUE(Reported("Failed to write recorded audio to file: /dev/full"));
  EXPECT_TRUE(Reported("AudioRecorderNonThreaded::HandleBuffer"));
  EXPECT_EQ(recorder.FinalizeRecordSession(), 0) << "a take that could not be written counts as recorded";
  EXPECT_EQ(recorder.RecordedLength(), 0u);
  Run(1000);
  EXPECT_EQ(session.writeFailures, 1);
}

TEST_F(RecorderTest, AFileThatStopsGrowingKeepsWhatWasWrittenInWholeFrames) {
  {
    // The second buffer is written in part.
    FileSizeLimit limit(100002);
    ASSERT_TRUE(limit.Set());
    Start();
    Run(1100);
    ServiceUntilWriteFails();
  }
  EXPECT_EQ(session.writeFailures, 1);
  EXPECT_TRUE(Reported("Failed to write recorded audio to file: " + take.szPath));
  EXPECT_EQ(recorder.FinalizeRecordSession(), 0);
  EXPECT_EQ(recorder.RecordedLength(), 100000u);
  const std::string bytes = TakeBytes();
  ASSERT_GE(bytes.size(), 100000u);
  EXPECT_TRUE(bytes.substr(0, 100000) == CountingFrames(firstFrame, 25000));
}

TEST_F(RecorderTest, AWriteThatFailsAtTheStopMakesTheStopFail) {
  {
    FileSizeLimit limit(100002);
    ASSERT_TRUE(limit.Set());
    Start();
    Run(520);
    EXPECT_EQ(recorder.BytesRecorded(), kHalf);
    Run(300, false);
    EXPECT_EQ(recorder.StopRecording(), 0);
  }
  EXPECT_EQ(recorder.State(), RecorderIdle);
  EXPECT_EQ(session.writeFailures, 1);
  EXPECT_EQ(system.messages.shown.size(), 1u);
  EXPECT_EQ(recorder.FinalizeRecordSession(), 0);
  EXPECT_EQ(recorder.RecordedLength(), 100000u);
}

TEST_F(RecorderTest, AWriteFailureIsReportedOnceAndTheNextTakeWritesAgain) {
  {
    FileSizeLimit limit(100002);
    ASSERT_TRUE(limit.Set());
    Start();
    // Buffers after the second, which fails, are handed on before the failure is heard of.
    Run(2100);
    ServiceUntilWriteFails();
  }
  Run(1000);
  EXPECT_EQ(session.writeFailures, 1);
  EXPECT_EQ(system.messages.shown.size(), 1u);
  EXPECT_EQ(recorder.State(), RecorderIdle);
  EXPECT_EQ(recorder.StopRecording(), 1);
  EXPECT_EQ(recorder.FinalizeRecordSession(), 0);
  EXPECT_EQ(recorder.RecordedLength(), 100000u);

  take.szPath = root / "next_take.pcm";
  Start();
  Run(1200);
  ASSERT_EQ(recorder.StopRecording(), 1);
  ASSERT_EQ(recorder.FinalizeRecordSession(), 1) << "the failure of the take before counts against this one";
  EXPECT_TRUE(TakeBytes() == CountingFrames(firstFrame, 1200 * 441 / 10));
  EXPECT_EQ(session.writeFailures, 1);
  EXPECT_EQ(system.messages.shown.size(), 1u);
}

TEST_F(RecorderTest, ADiskThatStallsHoldsUpNeitherTheServiceNorTheTake) {
  HeldPipe disk(root / "stalling_disk", std::chrono::seconds(10));
  take.szPath = disk.Path();
  Start();
  // Six buffers while the disk takes nothing. Had a service waited for the disk, it
  // would have waited until the pipe let go by itself.
  Run(3000);
  EXPECT_FALSE(disk.ReadAny()) << "a service waited for the disk";
  EXPECT_EQ(recorder.BytesRecorded(), 6 * kHalf);
  EXPECT_EQ(recorder.AccumulatedDelays(), 0);
  disk.Release();
  Run(700);
  const uint32_t frames = 3700 * 441 / 10;
  ASSERT_EQ(recorder.StopRecording(), 1);
  EXPECT_EQ(disk.Received() + disk.Unread(), size_t{frames} * 4) << "the stop returned before the take was written";
  ASSERT_EQ(recorder.FinalizeRecordSession(), 1);
  EXPECT_TRUE(disk.ReadToEnd() == CountingFrames(firstFrame, frames)) << "frames lost, repeated or out of order";
  EXPECT_EQ(Input().DroppedBytes(), 0u);
  EXPECT_TRUE(system.messages.shown.empty());
}

// The engine's clock: the devices' clock and a stall that another thread adds, so that
// time passes for the engine while the devices capture nothing.
class StallingClock : public platform::Clock {
 public:
  explicit StallingClock(platform::Clock& devices) : m_devices(devices), m_previous(platform::Os().clock) {
    platform::Os().clock = this;
  }
  ~StallingClock() override { platform::Os().clock = m_previous; }
  uint32_t GetTickCount() override { return m_devices.GetTickCount() + m_stall.load(); }
  uint32_t TimeGetTime() override { return GetTickCount(); }
  void Stall(uint32_t ms) { m_stall += ms; }

 private:
  platform::Clock& m_devices;
  platform::Clock* m_previous;
  std::atomic<uint32_t> m_stall{0};
};

TEST_F(RecorderTest, ADiskStalledBeyondThePoolHoldsTheServiceAndTheStallCounts) {
  StallingClock clock(system.clock);
  // The disk takes nothing until 1.3 seconds have passed for the engine.
  HeldPipe disk(root / "stalled_disk", std::chrono::milliseconds(300), HeldPipe::Then::Drain,
                [&clock] { clock.Stall(1300); });
  take.szPath = disk.Path();
  Start();
  // The ninth buffer finds every slot full: its service waits for one.
  Run(5000);
  EXPECT_TRUE(disk.ReadAny());
  EXPECT_EQ(recorder.AccumulatedDelays(), 1) << "the held-up service went uncounted";
  EXPECT_EQ(session.cancels, 0);
  ASSERT_EQ(recorder.StopRecording(), 1);
  ASSERT_EQ(recorder.FinalizeRecordSession(), 1);
  EXPECT_TRUE(disk.ReadToEnd() == CountingFrames(firstFrame, 5000 * 441 / 10)) << "the wait lost audio";
  EXPECT_EQ(Input().DroppedBytes(), 0u);
}

TEST_F(RecorderTest, AStalledServiceCancelsTheTakeWithConsecutiveDelays) {
  Start();
  Run(1000);
  // A stall of 1.3 seconds is one delay, counted once.
  system.clock.Advance(1300);
  system.wave.Pump();
  Run(1000);
  EXPECT_EQ(session.cancels, 0);
  EXPECT_EQ(recorder.AccumulatedDelays(), 1);
  // One of more than twice the limit ends the take.
  system.clock.Advance(2500);
  system.wave.Pump();
  Run(200);
  EXPECT_EQ(session.cancels, 1);
  EXPECT_EQ(recorder.State(), RecorderIdle);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("Recording Failure"), std::string::npos) << failures[0];
  EXPECT_NE(failures[0].find("Consecutive Delays"), std::string::npos) << failures[0];
  Run(2000);
  EXPECT_EQ(failures.size(), 1u) << "reported more than once";
}

TEST_F(RecorderTest, ABufferThatComesTooLateCancelsTheTake) {
  Start();
  uint32_t lastWrite = 0;
  auto service = [&] {
    const uint32_t before = recorder.BytesRecorded();
    recorder.ServiceRecording();
    if (recorder.BytesRecorded() != before) lastWrite = system.clock.GetTickCount();
  };
  for (int n = 0; n < 25; ++n) {
    system.clock.Advance(40);
    system.wave.Pump();
    service();
  }
  ASSERT_NE(lastWrite, 0u);
  // The timer keeps coming, but the device hands nothing back for 1.2 seconds: the
  // input it heard meanwhile found no buffer and is gone.
  while (system.clock.GetTickCount() + 40 - lastWrite <= 1200) {
    system.clock.Advance(40);
    service();
  }
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(recorder.AccumulatedDelays(), 0);
  system.clock.Set(lastWrite + 1210);
  service();
  service();
  // Late once, counted once; still nothing after twice the limit ends the take.
  EXPECT_EQ(recorder.AccumulatedDelays(), 1);
  EXPECT_EQ(session.cancels, 0);
  system.clock.Set(lastWrite + 2410);
  service();
  EXPECT_EQ(session.cancels, 1);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("Recording Failure"), std::string::npos) << failures[0];
  EXPECT_NE(failures[0].find("Consecutive Delays"), std::string::npos) << failures[0];
}

TEST_F(RecorderTest, AServiceInTimeCountsNoDelay) {
  Start();
  Run(10000);
  EXPECT_EQ(recorder.AccumulatedDelays(), 0);
  EXPECT_EQ(session.cancels, 0);
  // The device captured its first byte as the take started.
  EXPECT_GT(recorder.StartTickSampleCount(), 0u);
  ASSERT_EQ(recorder.StopRecording(), 1);
  ASSERT_EQ(recorder.FinalizeRecordSession(), 1);
  EXPECT_EQ(recorder.RecordedLength(), 10 * kSecond);
  EXPECT_EQ(recorder.RecordStartEstimate(), StartTickOf(recorder.StartTick()));
}

// A square wave: half a period at the top, half at the bottom.
platform::VirtualWaveIn::Source Square(int16_t leftTop, int16_t rightTop) {
  return [leftTop, rightTop, n = uint32_t{0}](char* out, uint32_t bytes) mutable {
    for (uint32_t at = 0; at + 4 <= bytes; at += 4, ++n) {
      const bool high = (n / 50) % 2 == 0;
      const int16_t left = high ? leftTop : static_cast<int16_t>(-leftTop - (leftTop == 32767 ? 1 : 0));
      const int16_t right = high ? rightTop : static_cast<int16_t>(-rightTop - (rightTop == 32767 ? 1 : 0));
      out[at] = static_cast<char>(left & 0xFF);
      out[at + 1] = static_cast<char>((left >> 8) & 0xFF);
      out[at + 2] = static_cast<char>(right & 0xFF);
      out[at + 3] = static_cast<char>((right >> 8) & 0xFF);
    }
  };
}

TEST_F(RecorderTest, MonitorLevelsFollowTheInput) {
  Input().SetSource(Square(32767, 32767));
  ASSERT_EQ(recorder.StartMonitoring(), 1);
  EXPECT_EQ(recorder.State(), RecorderMonitoring);
  Run(200);
  EXPECT_EQ(recorder.Monitor().LeftLevel(), 99);
  EXPECT_EQ(recorder.Monitor().RightLevel(), 99);
  EXPECT_EQ(MeterPosition(recorder.Monitor().LeftLevel()), 100);

  // Half scale on the left against 32700, silence on the right.
  Input().SetSource(Square(16350, 0));
  Run(200);
  EXPECT_EQ(recorder.Monitor().LeftLevel(), 49);
  EXPECT_EQ(recorder.Monitor().RightLevel(), 0);

  Input().SetSource({});
  Run(200);
  EXPECT_EQ(recorder.Monitor().LeftLevel(), 0);
  EXPECT_EQ(MeterPosition(recorder.Monitor().RightLevel()), 0);
  // The buffers kept circling: nothing was dropped.
  EXPECT_EQ(Input().DroppedBytes(), 0u);

  ASSERT_EQ(recorder.StopMonitoring(), 1);
  EXPECT_EQ(recorder.State(), RecorderIdle);
  // Monitoring and recording share the device one after the other.
  Start();
  Run(600);
  ASSERT_EQ(recorder.StopRecording(), 1);
  ASSERT_EQ(recorder.FinalizeRecordSession(), 1);
  EXPECT_EQ(recorder.RecordedLength(), 600 * 441 / 10 * 4);
  EXPECT_EQ(recorder.ShutdownRecorder(), 1);
  EXPECT_FALSE(recorder.IsOpen());
  EXPECT_TRUE(system.messages.shown.empty());
}

TEST_F(RecorderTest, RecordLevelsShowTheLast40MsOnceABufferHasThem) {
  Input().SetSource(Square(32767, 8000));
  Start();
  int left = -1, right = -1;
  Run(30);
  recorder.GetRecordLevels(&left, &right);
  EXPECT_EQ(left, -1) << "a level before 40 ms of the buffer were captured";
  Run(30);
  recorder.GetRecordLevels(&left, &right);
  EXPECT_EQ(left, 99);
  EXPECT_EQ(right, 8000 * 99 / 32767);
  // The first 40 ms of the next buffer show nothing new.
  Input().SetSource({});
  Run(470);
  left = right = -1;
  recorder.GetRecordLevels(&left, &right);
  EXPECT_EQ(left, -1);
  Run(40);
  recorder.GetRecordLevels(&left, &right);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(right, 0);
  ASSERT_EQ(recorder.StopRecording(), 1);
  ASSERT_EQ(recorder.FinalizeRecordSession(), 1);
}

TEST_F(RecorderTest, MeterResponseRunsFromBottomToTop) {
  EXPECT_EQ(MeterPosition(0), 0);
  EXPECT_EQ(MeterPosition(9), 25);
  EXPECT_EQ(MeterPosition(50), 74);
  EXPECT_EQ(MeterPosition(99), 100);
  EXPECT_EQ(MeterPosition(150), 100);
  EXPECT_EQ(MeterPosition(-3), 0);
  for (size_t level = 1; level < kMeterResponse.size(); ++level) EXPECT_GE(kMeterResponse[level], kMeterResponse[level - 1]);
}

TEST_F(RecorderTest, WithoutADeviceNothingStartsAndTheFailureIsReported) {
  ASSERT_EQ(recorder.ShutdownRecorder(), 1);
  ASSERT_EQ(PCMFileOpen(&take, kPCMWrite), 1);
  EXPECT_EQ(recorder.StartRecording(&take, &session), 0);
  EXPECT_TRUE(Reported("AudioRecorderNonThreaded::StartRecording"));
  EXPECT_EQ(recorder.StartMonitoring(), 0);
  EXPECT_EQ(recorder.State(), RecorderIdle);
  PCMFileClose(&take);
  // A device id beyond the devices there are opens the default device.
  EXPECT_EQ(recorder.SetupRecorder(7), 1);
  EXPECT_EQ(system.wave.Inputs().back()->DeviceId(), 0u);
}

}  // namespace
