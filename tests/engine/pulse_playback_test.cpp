// A project played by the engine through the audio library into the test server's
// null sink, while the sink's monitor is captured: once lined up, the capture holds
// ReadMix's mix byte for byte. Needs the server of scripts/pulse-test-server.sh
// (./test.sh starts it); without it the test is skipped.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "core/command_ids.h"
#include "platform/wave/portaudio_wave_system.h"
#include "tests/support/document_fixture.h"
#include "tests/support/prerequisites.h"
#include "tests/wave/wave_test_support.h"

namespace {

using wavetest::TestBuffer;

class PulsePlaybackTest : public DocumentTest {
 protected:
  void SetUp() override {
    REQUIRE_TEST_SERVER();
    DocumentTest::SetUp();
  }
};

TEST_F(PulsePlaybackTest, WhatIsPlayedIsTheMixByteForByte) {
  // Two tracks of distinct audio, one of them quieter, and the master a step down.
  LoadTrack(0, Pattern(2 * 176400, 21));
  LoadTrack(1, Pattern(176400 + 30000, 77));
  app->m_boardTracks.SetTrackLevel(1, 14, kLevelBoth);
  app->m_boardMain.SetMasterLevel(11, kLevelLeft);

  // What ReadMix makes of the project, buffer by buffer.
  std::string mix;
  ASSERT_EQ(doc->TrackSeekOnLeftButton(0), 1);
  for (uint32_t at = 0; at < doc->m_nProjectLength; at += 88200) {
    const uint32_t length = std::min<uint32_t>(88200, doc->m_nProjectLength - at);
    std::string buffer(length, '\0');
    ASSERT_EQ(doc->ReadMix(buffer.data(), length, at), 1);
    mix += buffer;
  }
  ASSERT_EQ(doc->TrackSeekOnLeftButton(0), 1);

  // Real time, real timers and the audio library's devices from here on.
  platform::SteadyClock clock;
  platform::PolledTimers timers(clock);
  platform::PortAudioWaveSystem wave;
  ASSERT_GT(wave.OutputCount(), 0u) << "the test server runs, yet the audio library finds no output";
  // However the test ends, the application goes before the devices and the clock.
  struct Release {
    std::unique_ptr<CMixerApp>& app;
    ~Release() { app.reset(); }
  } release{app};
  platform::System& os = platform::Os();
  os.clock = &clock;
  os.timers = &timers;
  os.pump = &timers;
  os.waveSystem = &wave;
  app->m_player.Stop();
  ASSERT_EQ(app->m_player.SetupPlayer(app.get(), platform::WAVE_MAPPER), 1);

  auto input = wave.CreateInput();
  ASSERT_EQ(input->Open(platform::WAVE_MAPPER, platform::kProjectWaveFormat, nullptr, nullptr), 0u);
  std::array<std::unique_ptr<TestBuffer>, 16> buffers;
  std::string capture;
  for (auto& buffer : buffers) {
    buffer = std::make_unique<TestBuffer>(8820);
    ASSERT_EQ(input->Prepare(&buffer->header), 0u);
    ASSERT_EQ(input->AddBuffer(&buffer->header), 0u);
  }
  auto collect = [&](bool requeue) {
    for (auto& buffer : buffers) {
      if (!buffer->Done() || buffer->Queued()) continue;
      std::vector<char> recorded = buffer->Recorded();
      capture.append(recorded.begin(), recorded.end());
      buffer->header.flags.fetch_and(~platform::WHDR_DONE);
      if (requeue) input->AddBuffer(&buffer->header);
    }
  };
  ASSERT_EQ(input->Start(), 0u);

  ASSERT_EQ(app->OnCommand(ID_TRANSPORT_PLAY), 1);
  const uint32_t began = clock.GetTickCount();
  while (app->m_bPlaying && clock.GetTickCount() - began < 10000) {
    timers.PumpFor(10);
    collect(true);
  }
  EXPECT_FALSE(app->m_bPlaying) << "playback did not end";
  const size_t enough = capture.size() + 88200;
  while (capture.size() < enough && clock.GetTickCount() - began < 12000) {
    timers.PumpFor(10);
    collect(true);
  }
  input->Reset();
  collect(false);
  input->Close();
  EXPECT_TRUE(system->dialogs.shown.empty()) << "a failure dialog appeared";

  auto start = std::search(capture.begin(), capture.end(), mix.begin(), mix.begin() + 1024);
  ASSERT_NE(start, capture.end()) << "the mix's start is not in the " << capture.size() << " bytes captured";
  EXPECT_TRUE(std::all_of(capture.begin(), start, [](char c) { return c == 0; })) << "sound before the mix";
  ASSERT_GE(static_cast<size_t>(capture.end() - start), mix.size()) << "the capture ends inside the mix";
  const std::string heard(start, start + static_cast<std::ptrdiff_t>(mix.size()));
  EXPECT_TRUE(SameAudio(heard, mix));
  EXPECT_TRUE(std::all_of(start + static_cast<std::ptrdiff_t>(mix.size()), capture.end(), [](char c) {
    return c == 0;
  })) << "sound after the mix";
}

}  // namespace
