// A take recorded by the engine through the audio library from the test server's
// default source, the null sink's monitor, while a known signal plays into the sink:
// the take holds the signal byte for byte. Needs the server of
// scripts/pulse-test-server.sh (./test.sh starts it); without it the test is skipped.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <thread>

#include "engine/audio_recorder.h"
#include "platform/scripted/scripted_system.h"
#include "platform/wave/portaudio_wave_system.h"
#include "tests/support/prerequisites.h"
#include "tests/support/temp_folder.h"
#include "tests/wave/wave_test_support.h"

namespace {

using wavetest::TestBuffer;

TEST(PulseRecordingTest, ATakeHoldsWhatThePlayedSignalSoundedLike) {
  REQUIRE_TEST_SERVER();
  TempFolder root;
  platform::ScriptedSystem system(root / "program", root / "config", root / "home");
  platform::SteadyClock clock;
  platform::PortAudioWaveSystem wave;
  ASSERT_GT(wave.InputCount(), 0u) << "the test server runs, yet the audio library finds no input";
  platform::Os().clock = &clock;
  platform::Os().waveSystem = &wave;

  AudioRecorderNonThreaded recorder;
  ASSERT_EQ(recorder.SetupRecorder(platform::WAVE_MAPPER), 1);
  auto output = wave.CreateOutput();
  ASSERT_EQ(output->Open(platform::WAVE_MAPPER, platform::kProjectWaveFormat, nullptr, nullptr), 0u);

  // One and a half seconds of distinct bytes, in tenth-second buffers.
  constexpr uint32_t kPiece = 17640;
  std::array<std::unique_ptr<TestBuffer>, 15> pieces;
  std::string signal;
  for (size_t p = 0; p < pieces.size(); ++p) {
    pieces[p] = std::make_unique<TestBuffer>(kPiece);
    const std::vector<char> bytes = wavetest::PatternBytes(41, kPiece, p * kPiece);
    std::copy(bytes.begin(), bytes.end(), pieces[p]->bytes.begin());
    signal.append(bytes.begin(), bytes.end());
  }

  PCMFile take;
  take.szPath = root / "recorded_audio.pcm";
  ASSERT_EQ(PCMFileOpen(&take, kPCMWrite), 1);
  ASSERT_EQ(recorder.StartRecording(&take, nullptr), 1);
  const uint32_t began = clock.GetTickCount();
  bool played = false;
  int left = -1, right = -1;
  // The session's 40 ms timer, for three seconds; the signal starts after 300 ms.
  while (clock.GetTickCount() - began < 3000 && recorder.State() == RecorderRecording) {
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    recorder.ServiceRecording();
    if (!played && clock.GetTickCount() - began >= 300) {
      for (auto& piece : pieces) {
        ASSERT_EQ(output->Prepare(&piece->header), 0u);
        ASSERT_EQ(output->Write(&piece->header), 0u);
      }
      played = true;
    }
    if (clock.GetTickCount() - began > 900 && clock.GetTickCount() - began < 1300) recorder.GetRecordLevels(&left, &right);
  }
  ASSERT_EQ(recorder.State(), RecorderRecording) << "the take ended early";
  ASSERT_EQ(recorder.StopRecording(), 1);
  const uint32_t elapsed = clock.GetTickCount() - began;
  ASSERT_EQ(recorder.FinalizeRecordSession(), 1);
  output->Reset();
  output->Close();
  EXPECT_TRUE(system.messages.shown.empty()) << system.messages.shown.front().text;
  EXPECT_TRUE(system.dialogs.shown.empty()) << "a failure dialog appeared";
  EXPECT_GT(left, 90) << "the level meter missed the signal";

  const std::string bytes = ReadFileBytes(take.szPath);
  EXPECT_EQ(bytes.size(), recorder.RecordedLength());
  EXPECT_EQ(bytes.size() % 4, 0u);
  // Everything captured until the stop is there, give or take the server's latency.
  EXPECT_GT(bytes.size(), (elapsed - 500) * 1764u / 10);
  auto start = std::search(bytes.begin(), bytes.end(), signal.begin(), signal.begin() + 1024);
  ASSERT_NE(start, bytes.end()) << "the signal is not in the " << bytes.size() << " bytes recorded";
  ASSERT_GE(static_cast<size_t>(bytes.end() - start), signal.size()) << "the take ends inside the signal";
  EXPECT_TRUE(std::equal(signal.begin(), signal.end(), start)) << "the signal was not recorded byte for byte";
  EXPECT_TRUE(std::all_of(bytes.begin(), start, [](char c) { return c == 0; })) << "sound before the signal";
}

}  // namespace
