// The playback engine on the virtual output device: what it plays, where it stops,
// the transport operations, the delay checks and the start-tick estimate.

#include "audio_store/wave_header.h"
#include "core/command_ids.h"
#include "document/import_or_new_dialog.h"
#include "platform/wave/stream_wave_device.h"
#include "tests/support/playback_fixture.h"
#include "tests/wave/thread_stream.h"

namespace {

constexpr uint32_t kSecond = 176400;

class PlayerTest : public PlaybackTest {
 protected:
  void Position(uint32_t position) {
    doc->m_nCurrentPos = position;
    ASSERT_EQ(doc->TrackSeekOnLeftButton(position), 1);
  }
  void Play() { ASSERT_EQ(app->OnCommand(ID_TRANSPORT_PLAY), 1); }
};

TEST_F(PlayerTest, PlaysFromTheCurrentPositionToTheEndWithoutAGap) {
  const std::string track = Tone(3 * kSecond + 1000, 3);
  LoadTrack(0, track);
  Position(kSecond);
  Play();
  EXPECT_TRUE(app->m_bPlaying);
  EXPECT_EQ(player().State(), PlayerPlaying);
  EXPECT_EQ(player().BuffersQueuedAtStart(), 2u);
  ASSERT_TRUE(RunUntilStopped());
  EXPECT_TRUE(SameAudio(NewlyPlayed(), track.substr(kSecond)));
  EXPECT_TRUE(Output().Gaps().empty());
  // The project stands where playback began, the track file there too.
  EXPECT_EQ(doc->m_nCurrentPos, kSecond);
  EXPECT_EQ(std::ftell(doc->Track(0).m_PCM.fp), static_cast<long>(kSecond));
  EXPECT_TRUE(failures.empty());
}

TEST_F(PlayerTest, AFileDroppedWhilePlayingOpensOnlyAfterPlaybackStopped) {
  const std::string wav = root / "dropped.wav";
  auto header = WaveHeaderBytes(kSecond / 2, 44100, 2, 16);
  WriteFileBytes(wav, std::string(header.begin(), header.end()) + Tone(kSecond / 2, 9));
  LoadTrack(0, Tone(3 * kSecond, 5));
  Play();
  Run(200);
  ASSERT_EQ(player().State(), PlayerPlaying);
  // The question whether to import or start anew comes after playback stopped.
  bool playingWhenAsked = true;
  system->dialogs.OnShow("import_or_new_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface&) {
    playingWhenAsked = app->m_bPlaying || player().State() == PlayerPlaying;
    logic.OnCommand(IDC_NEW);
  });
  EXPECT_EQ(app->OpenDroppedFile(wav), 1);
  EXPECT_FALSE(playingWhenAsked);
  EXPECT_FALSE(app->m_bPlaying);
  EXPECT_EQ(doc->m_nProjectLength, kSecond / 2);
  NewlyPlayed();
  Run(200);
  EXPECT_TRUE(NewlyPlayed().empty());
}

TEST_F(PlayerTest, AHighlightedSectionPlaysFromItsStartOnly) {
  const std::string track = Tone(2 * kSecond, 5);
  LoadTrack(0, track);
  Select(40000, 140000);
  Position(40000);
  Play();
  EXPECT_EQ(player().EndPosition(), 140000u);
  ASSERT_TRUE(RunUntilStopped());
  EXPECT_TRUE(SameAudio(NewlyPlayed(), track.substr(40000, 100000)));

  // One frame later the highlight does not count: to the end of the project.
  Position(40004);
  Play();
  EXPECT_EQ(player().EndPosition(), 2 * kSecond);
  ASSERT_TRUE(RunUntilStopped());
  EXPECT_TRUE(SameAudio(NewlyPlayed(), track.substr(40004)));
}

TEST_F(PlayerTest, ARemainderShorterThanABufferQueuesOneShortBuffer) {
  const std::string track = Tone(kSecond + 400, 7);
  LoadTrack(0, track);
  Position(kSecond);
  Play();
  EXPECT_EQ(player().BuffersQueuedAtStart(), 1u);
  Run(20);
  EXPECT_TRUE(app->m_bPlaying) << "stopped before its buffer came back";
  ASSERT_TRUE(RunUntilStopped());
  EXPECT_TRUE(SameAudio(NewlyPlayed(), track.substr(kSecond)));
}

TEST_F(PlayerTest, NothingStartsAtTheEndOrWithoutAudio) {
  ASSERT_EQ(app->OnCommand(ID_TRANSPORT_PLAY), 0);
  EXPECT_TRUE(Showed("No audio exists to play.  Please open an audio file or record new audio first."));
  EXPECT_FALSE(app->m_bPlaying);

  LoadTrack(0, Tone(8000, 1));
  ASSERT_EQ(app->OnCommand(ID_TRANSPORT_FAST_FORWARD), 1);
  EXPECT_EQ(doc->m_nCurrentPos, 8000u);
  ASSERT_EQ(app->OnCommand(ID_TRANSPORT_PLAY), 0);
  EXPECT_TRUE(Showed("Current project position is at the end.  Please rewind and then play audio."));
  EXPECT_FALSE(app->m_bPlaying);
  EXPECT_EQ(player().State(), PlayerIdle);
  Run(1000);
  EXPECT_TRUE(NewlyPlayed().empty());

  ASSERT_EQ(app->OnCommand(ID_TRANSPORT_REWIND), 1);
  EXPECT_EQ(doc->m_nCurrentPos, 0u);
  ASSERT_EQ(app->OnCommand(ID_TRANSPORT_PLAY), 1);
}

TEST_F(PlayerTest, StopHaltsAtOnceAndOnlyStopAndTheToggleStayEnabled) {
  const std::string track = Tone(4 * kSecond, 2);
  LoadTrack(0, track);
  Play();
  Run(700);
  for (int id : {ID_TRANSPORT_PLAY, ID_TRANSPORT_REWIND, ID_TRANSPORT_FAST_FORWARD, ID_FILE_NEW, ID_FILE_SAVE}) {
    EXPECT_FALSE(app->IsCommandEnabled(id)) << id;
  }
  EXPECT_TRUE(app->IsCommandEnabled(ID_TRANSPORT_STOP));
  EXPECT_TRUE(app->IsCommandEnabled(ID_TRANSPORT_PLAY_STOP));
  // Seeking is refused while playing.
  EXPECT_EQ(doc->TrackSeekOnLeftButton(1000), 2);
  ASSERT_EQ(app->OnCommand(ID_TRANSPORT_STOP), 1);
  EXPECT_FALSE(app->m_bPlaying);
  EXPECT_EQ(player().State(), PlayerIdle);
  const std::string played = NewlyPlayed();
  Run(2000);
  EXPECT_TRUE(NewlyPlayed().empty()) << "the device went on after Stop";
  EXPECT_TRUE(SameAudio(played, track.substr(0, played.size())));
  EXPECT_TRUE(app->IsCommandEnabled(ID_TRANSPORT_PLAY));
  EXPECT_EQ(std::ftell(doc->Track(0).m_PCM.fp), 0L);
}

TEST_F(PlayerTest, TwoTogglesWithin750MsActOnce) {
  LoadTrack(0, Tone(10 * kSecond, 4));
  app->OnCommand(ID_TRANSPORT_PLAY_STOP);
  EXPECT_TRUE(app->m_bPlaying);
  Run(740);
  app->OnCommand(ID_TRANSPORT_PLAY_STOP);
  EXPECT_TRUE(app->m_bPlaying) << "a second toggle within 750 ms stopped playback";
  Run(20);
  app->OnCommand(ID_TRANSPORT_PLAY_STOP);
  EXPECT_FALSE(app->m_bPlaying);
  Run(750);
  app->OnCommand(ID_TRANSPORT_PLAY_STOP);
  EXPECT_TRUE(app->m_bPlaying);
}

TEST_F(PlayerTest, AStallCountsOnceAndOneOverTwiceTheLimitStopsWithConsecutiveDelays) {
  LoadTrack(0, Tone(10 * kSecond, 6));
  Play();
  Run(1500);
  // Over the limit since the last fill of either buffer: one delay, however many
  // checks see it.
  Stall(1300);
  Run(1000);
  EXPECT_TRUE(app->m_bPlaying);
  EXPECT_EQ(player().AccumulatedDelays(), 1);
  EXPECT_EQ(player().ConsecutiveDelays(), 0);
  const size_t before = Output().Played().size();
  Stall(2500);
  Run(40);
  EXPECT_FALSE(app->m_bPlaying);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].caption, "Playback Failure");
  EXPECT_NE(failures[0].text.find("Interruption in playback"), std::string::npos);
  EXPECT_EQ(player().ConsecutiveDelays(), 2);
  // No stale buffer is queued after the stop.
  Run(2000);
  EXPECT_LE(Output().Played().size(), before + 2 * 88200);
  EXPECT_EQ(failures.size(), 1u);
}

TEST_F(PlayerTest, TwoLateRefillsInARowStopWithConsecutiveDelays) {
  LoadTrack(0, Tone(20 * kSecond, 6));
  Play();
  Run(1000);
  // The interface thread gets a turn only every 1.25 s: the fill after each stall is
  // late, the other buffer's that follows it at once does not end the row.
  for (int turn = 0; turn < 6 && app->m_bPlaying; ++turn) {
    Stall(1250);
    Run(10);
  }
  EXPECT_FALSE(app->m_bPlaying);
  EXPECT_EQ(player().AccumulatedDelays(), 2);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].caption, "Playback Failure");
}

TEST_F(PlayerTest, FiveSpreadLateRefillsStopWithAccumulatedDelays) {
  LoadTrack(0, Tone(30 * kSecond, 8));
  Play();
  int stalls = 0;
  while (app->m_bPlaying && stalls < 8) {
    Run(1500);
    // Right after a refill: a 1.3 s stall makes the next fill late.
    const uint32_t read = player().ReadPosition();
    while (app->m_bPlaying && player().ReadPosition() == read) Run(10);
    if (!app->m_bPlaying) break;
    Stall(1300);
    ++stalls;
    Run(10);
    if (app->m_bPlaying) {
      EXPECT_EQ(player().ConsecutiveDelays(), 1);
    }
  }
  Run(100);
  EXPECT_FALSE(app->m_bPlaying);
  EXPECT_EQ(stalls, 5);
  EXPECT_EQ(player().AccumulatedDelays(), 5);
  EXPECT_LT(player().ConsecutiveDelays(), 2);
  ASSERT_EQ(failures.size(), 1u);
}

TEST_F(PlayerTest, ThePlayStartEstimateIsWhenTheDeviceBeganToSound) {
  system->clock.Set(0x7FFFFF00u);  // across 2^31 during the playback
  LoadTrack(0, Tone(3 * kSecond, 9));
  Play();
  EXPECT_EQ(app->m_playStartEstimate, 0u);
  const uint32_t startTick = player().StartTick();
  ASSERT_TRUE(RunUntilStopped());
  EXPECT_GT(player().StartTickSampleCount(), 0u);
  // The virtual device sounds at once: every sample names the start tick or a time
  // within the millisecond before it.
  EXPECT_LE(StartTickOf(startTick) - app->m_playStartEstimate, 1000u);
}

TEST_F(PlayerTest, WithoutAnOutputDeviceTheProgramStartsAndPlaySaysWhy) {
  app.reset();
  platform::VirtualWaveSystem none(system->clock, {}, {"Test Input"});
  platform::Os().waveSystem = &none;
  app = std::make_unique<CMixerApp>();
  ASSERT_TRUE(app->InitInstance({"", [] { return std::make_unique<Frame>(); }}));
  EXPECT_TRUE(Showed("waveOutOpen"));
  EXPECT_FALSE(app->m_player.IsOpen());
  doc = app->m_pDocument;
  LoadTrack(0, Tone(8000, 1));
  EXPECT_EQ(app->OnCommand(ID_TRANSPORT_PLAY), 0);
  EXPECT_TRUE(Showed("No audio output device could be opened"));
  EXPECT_FALSE(app->m_bPlaying);
  app.reset();
  platform::Os().waveSystem = &system->wave;
}

// The virtual system's devices, but outputs over streams on a thread of their own that
// the test can take away, as a sound server that goes away does.
class ThreadStreamWaveSystem : public platform::WaveSystem {
 public:
  explicit ThreadStreamWaveSystem(platform::WaveSystem& names) : m_names(names) {}
  unsigned OutputCount() override { return m_names.OutputCount(); }
  unsigned InputCount() override { return m_names.InputCount(); }
  unsigned GetOutputCaps(unsigned id, platform::WaveOutCaps* caps) override { return m_names.GetOutputCaps(id, caps); }
  unsigned GetInputCaps(unsigned id, platform::WaveInCaps* caps) override { return m_names.GetInputCaps(id, caps); }
  std::unique_ptr<platform::WaveOutDevice> CreateOutput() override {
    return std::make_unique<platform::StreamWaveOut>(backend);
  }
  std::unique_ptr<platform::WaveInDevice> CreateInput() override { return m_names.CreateInput(); }

  wavetest::ThreadStreamBackend backend;

 private:
  platform::WaveSystem& m_names;
};

TEST_F(PlayerTest, AnOutputThatWentAwayWhileIdleSaysSoAtPlayAndPlaysOnceOpenedAgain) {
  ThreadStreamWaveSystem streams(system->wave);
  platform::Os().waveSystem = &streams;
  ASSERT_EQ(player().Stop(), 1);
  ASSERT_EQ(player().SetupPlayer(app.get(), platform::WAVE_MAPPER), 1);
  LoadTrack(0, Tone(3 * kSecond, 9));
  streams.backend.deviceLost = true;
  EXPECT_EQ(app->OnCommand(ID_TRANSPORT_PLAY), 0);
  EXPECT_TRUE(Showed("waveOutRestart"));
  EXPECT_FALSE(app->m_bPlaying);
  EXPECT_EQ(player().State(), PlayerIdle);
  streams.backend.deviceLost = false;
  ASSERT_EQ(player().Stop(), 1);
  ASSERT_EQ(player().SetupPlayer(app.get(), platform::WAVE_MAPPER), 1);
  app->OnCommand(ID_TRANSPORT_PLAY);
  EXPECT_TRUE(app->m_bPlaying);
  EXPECT_EQ(player().State(), PlayerPlaying);
  app->StopPlayback();
  ASSERT_EQ(player().Stop(), 1);
  platform::Os().waveSystem = &system->wave;
  ASSERT_EQ(player().SetupPlayer(app.get(), platform::WAVE_MAPPER), 1);
}

TEST_F(PlayerTest, AConfiguredDeviceThatIsGoneGivesWayToTheDefault) {
  ASSERT_EQ(player().Stop(), 1);
  EXPECT_FALSE(player().IsOpen());
  EXPECT_TRUE(system->wave.Outputs().empty());
  ASSERT_EQ(player().SetupPlayer(app.get(), 3), 1);
  EXPECT_FALSE(Showed("")) << "a report for a device that gave way to the default";
  LoadTrack(0, Tone(8000, 2));
  ASSERT_EQ(app->OnCommand(ID_TRANSPORT_PLAY), 1);
  ASSERT_TRUE(RunUntilStopped());
  EXPECT_EQ(Output().Played().size(), 8000u);
}

}  // namespace
