// Takes recorded through the Record command and its dialog on the virtual devices with
// a manual clock: what reaches the armed track, undo and redo of it, punch-in, the
// playback that accompanies a take, and takes that end by Cancel or by a failure.

#include <algorithm>
#include <filesystem>
#include <random>

#include "core/command_ids.h"
#include "app/recording/punch_in_warning_dialog.h"
#include "app/recording/recording_dialog.h"
#include "tests/support/playback_fixture.h"
#include "tests/support/file_size_limit.h"

namespace {

constexpr uint32_t kSecond = 176400;

struct Options {
  bool punch = false;
  bool listen = false;
  bool cancel = false;
};

class RecordingSessionTest : public PlaybackTest {
 protected:
  void SetUp() override {
    PlaybackTest::SetUp();
    ASSERT_EQ(system->wave.Inputs().size(), 1u);
    ASSERT_TRUE(app->m_recorder.IsOpen());
    Input().SetSource([this](char* out, uint32_t bytes) {
      for (uint32_t at = 0; at + 4 <= bytes; at += 4, ++nextFrame) {
        const auto left = static_cast<uint16_t>(nextFrame);
        const auto right = static_cast<uint16_t>((nextFrame >> 16) ^ 0x1357);
        out[at] = static_cast<char>(left & 0xFF);
        out[at + 1] = static_cast<char>(left >> 8);
        out[at + 2] = static_cast<char>(right & 0xFF);
        out[at + 3] = static_cast<char>(right >> 8);
      }
    });
    app->m_boardTracks.HandleArm(1);
    ASSERT_EQ(doc->ArmedTrack(), 1);
  }

  platform::VirtualWaveIn& Input() { return *system->wave.Inputs().front(); }
  void Position(uint32_t position) {
    doc->m_nCurrentPos = position;
    ASSERT_EQ(doc->TrackSeekOnLeftButton(position), 1);
  }
  // Records for ms through the Record command: Start, then Stop (or Cancel).
  int Record(uint32_t ms, Options options = Options()) {
    system->dialogs.OnShow("record_dialog", [this, ms, options](platform::DialogLogic& logic,
                                                                platform::MemoryDialogSurface& surface) {
      Run(200);  // monitoring
      surface.Control(IDC_RECORD_DIALOG_USE_MARKERS)->SetChecked(options.punch);
      surface.Control(IDC_RECORD_DIALOG_LISTEN)->SetChecked(options.listen);
      startFrame = nextFrame;
      playedBefore = Output().Played().size();
      logic.OnCommand(IDC_RECORD_DIALOG_START);
      stateAfterStart = app->m_recordingDialog.State();
      for (uint32_t done = 0; done < ms && app->m_recordingDialog.IsRecording(); done += 10) Run(10);
      if (!app->m_recordingDialog.IsRecording()) return;
      if (options.cancel) {
        logic.OnCancel();
      } else {
        logic.OnCommand(IDC_RECORD_DIALOG_STOP);
      }
    });
    return app->OnCommand(ID_TRANSPORT_RECORD);
  }
  std::string Recorded() { return ReadFileBytes(app->m_szRecordedAudioPath); }
  // The paths of the takes that failed and were kept in the audio folder.
  std::vector<std::string> KeptTakes() {
    std::vector<std::string> kept;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(app->m_szAudioFolder, error)) {
      if (entry.path().filename().string().rfind("Unfinished take ", 0) == 0) kept.push_back(entry.path().string());
    }
    std::sort(kept.begin(), kept.end());
    return kept;
  }

  uint32_t nextFrame = 0;
  uint32_t startFrame = 0;
  size_t playedBefore = 0;
  int32_t stateAfterStart = 0;
};

TEST_F(RecordingSessionTest, WithoutAnArmedTrackTheHintShowsAndNothingElse) {
  app->m_boardTracks.HandleArm(1);
  ASSERT_EQ(doc->ArmedTrack(), -1);
  EXPECT_EQ(app->OnCommand(ID_TRANSPORT_RECORD), 0);
  ASSERT_EQ(system->dialogs.shown.size(), 1u);
  EXPECT_EQ(system->dialogs.shown[0], "arm_dialog");
  EXPECT_EQ(app->m_recorder.State(), RecorderIdle);
}

TEST_F(RecordingSessionTest, ATakeReplacesItsStretchOfTheArmedTrackAndUndoAndRedoWorkOnIt) {
  const std::string before = Tone(6 * kSecond, 4);
  LoadTrack(1, before);
  LoadTrack(0, Tone(6 * kSecond, 5));
  Position(kSecond);
  ASSERT_EQ(Record(2300), 1);
  EXPECT_TRUE(failures.empty());
  const std::string take = Recorded();
  // Everything to the stop is kept: four whole buffers and the part of the fifth.
  EXPECT_EQ(take.size(), 2300u * 1764 / 10);
  const RecordedTake& recorded = app->m_recordedTake;
  EXPECT_EQ(recorded.recordStart, kSecond);
  const TakeLag lag = LagOf(recorded);
  // The virtual devices sound and capture at once: the starts lie within a millisecond.
  EXPECT_LE(lag.bytes, 176u);
  const std::string after = TrackBytes(1);
  ASSERT_EQ(after.size(), before.size()) << "a take inside the track keeps its length";
  TakePlacement placed;
  ASSERT_TRUE(PlaceTake(recorded, 6 * kSecond, &placed));
  EXPECT_TRUE(SameAudio(after.substr(0, kSecond), before.substr(0, kSecond)));
  EXPECT_TRUE(SameAudio(after.substr(kSecond + placed.silence, placed.readTo - placed.readFrom),
                        take.substr(placed.readFrom)));
  EXPECT_TRUE(SameAudio(after.substr(kSecond + placed.written), before.substr(kSecond + placed.written)));
  EXPECT_EQ(doc->m_nUndoCount, 1);
  EXPECT_TRUE(doc->IsModified());

  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(1), before));
  ASSERT_EQ(app->OnCommand(ID_EDIT_REDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(1), after));
}

TEST_F(RecordingSessionTest, ATakePastTheEndOfTheProjectPlaysOnAndExtendsTheTrackBehindSilence) {
  // The armed track holds audio that the take does not listen to; track 0 is short.
  LoadTrack(1, Tone(kSecond, 4));
  LoadTrack(0, Constant(kSecond / 4, 0, 0));
  Position(kSecond / 2);
  ASSERT_EQ(Record(3000), 1);
  // The playback went on past the project's end (a second) and left the armed track out.
  const std::string played = Output().Played().size() > playedBefore
                                 ? std::string(Output().Played().begin() + static_cast<long>(playedBefore),
                                               Output().Played().end())
                                 : std::string();
  EXPECT_GE(played.size(), 2u * kSecond);
  EXPECT_EQ(played.find_first_not_of('\0'), std::string::npos) << "the armed track was heard";
  const std::string after = TrackBytes(1);
  const std::string take = Recorded();
  EXPECT_GE(after.size(), kSecond / 2 + take.size() - 176);
  EXPECT_TRUE(SameAudio(after.substr(0, kSecond / 2), Tone(kSecond, 4).substr(0, kSecond / 2)));

  // Undo gives the track back its one second.
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(1), Tone(kSecond, 4)));

  // Into an empty track past its end: silence up to the start position first.
  app->m_boardTracks.HandleArm(2);
  Position(kSecond / 2);
  ASSERT_EQ(Record(1000), 1);
  const std::string fresh = TrackBytes(2);
  TakePlacement placed;
  ASSERT_TRUE(PlaceTake(app->m_recordedTake, 0, &placed));
  EXPECT_EQ(fresh.size(), placed.written);
  EXPECT_GE(placed.silence, kSecond / 2);
  EXPECT_EQ(fresh.find_first_not_of('\0'), placed.silence);
}

TEST_F(RecordingSessionTest, PunchInReplacesOnlyTheStretchBetweenTheMarkersAndHearsTheTrackWithListen) {
  const std::string before = Tone(8 * kSecond, 6);
  LoadTrack(1, before);
  doc->Track(1).m_pos.m_nMarkerBegin = 3 * kSecond;
  doc->Track(1).m_pos.m_nMarkerEnd = 4 * kSecond;
  Position(0);
  ASSERT_EQ(Record(5000, {.punch = true, .listen = true}), 1);
  const std::string after = TrackBytes(1);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_TRUE(SameAudio(after.substr(0, 3 * kSecond), before.substr(0, 3 * kSecond)));
  EXPECT_TRUE(SameAudio(after.substr(4 * kSecond), before.substr(4 * kSecond)));
  EXPECT_FALSE(SameAudio(after.substr(3 * kSecond, kSecond), before.substr(3 * kSecond, kSecond)));
  // With Listen the armed track was heard.
  EXPECT_NE(std::string(Output().Played().begin() + static_cast<long>(playedBefore), Output().Played().end())
                .find_first_not_of('\0'),
            std::string::npos);

  // A punch take stopped before half a second past the begin marker imports nothing.
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_EQ(Record(3300, {.punch = true}), 2);
  EXPECT_TRUE(SameAudio(TrackBytes(1), before));
  EXPECT_EQ(doc->m_nUndoCount, 0);
}

TEST_F(RecordingSessionTest, PunchInRefusesABeginMarkerBeforeOrTooSoonAfterTheStart) {
  LoadTrack(1, Tone(8 * kSecond, 6));
  doc->Track(1).m_pos.m_nMarkerBegin = 3 * kSecond;
  system->dialogs.OnShow("punch_in_warning_dialog", {});
  // Under two seconds after the start position.
  Position(kSecond + 4);
  EXPECT_EQ(Record(100, {.punch = true, .cancel = true}), 3);
  EXPECT_EQ(stateAfterStart, 7) << "the dialog went on recording";
  EXPECT_EQ(system->dialogs.shown.back(), "punch_in_warning_dialog");
  // Before the start position.
  Position(4 * kSecond);
  EXPECT_EQ(Record(100, {.punch = true, .cancel = true}), 3);
  EXPECT_EQ(stateAfterStart, 7);
  EXPECT_TRUE(Showed("When using punch in/out the record start position\nmust be less than the beginning marker."));
  // Exactly two seconds before it records.
  Position(kSecond);
  EXPECT_EQ(Record(100, {.punch = true, .cancel = true}), 3);
  EXPECT_EQ(stateAfterStart, 3);
  EXPECT_EQ(doc->m_nUndoCount, 0);
}

TEST_F(RecordingSessionTest, CancelAndAFailureLeaveTheProjectAsItWasAndTheTakeOnDisk) {
  const std::string before = Tone(4 * kSecond, 2);
  LoadTrack(1, before);
  EXPECT_EQ(Record(1500, {.cancel = true}), 3);
  EXPECT_TRUE(SameAudio(TrackBytes(1), before));
  EXPECT_EQ(doc->m_nUndoCount, 0);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(app->m_recorder.State(), RecorderIdle);
  EXPECT_EQ(player().State(), PlayerIdle);

  // The interface thread stalls for 2.5 seconds in the middle of a take.
  system->dialogs.OnShow("record_dialog", [this](platform::DialogLogic& logic, platform::MemoryDialogSurface&) {
    logic.OnCommand(IDC_RECORD_DIALOG_START);
    Run(1500);
    Stall(2500);
    Run(500);
  });
  EXPECT_EQ(app->OnCommand(ID_TRANSPORT_RECORD), 0);
  ASSERT_GE(failures.size(), 1u);
  EXPECT_TRUE(failures[0].caption == "Recording Failure" || failures[0].caption == "Playback Failure")
      << failures[0].caption;
  // The audio leaves the session folder, which the end of the program empties.
  const std::vector<std::string> kept = KeptTakes();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_TRUE(Showed("The take was not added to the project.  The audio recorded until the failure is kept in " +
                     kept[0] + " (16-bit stereo PCM at 44,100 Hz, without a header)."));
  const std::string keptAudio = ReadFileBytes(kept[0]);
  EXPECT_GE(keptAudio.size(), 2u * 88200) << "the audio recorded before the failure is gone";
  EXPECT_FALSE(std::filesystem::exists(app->m_szRecordedAudioPath));
  EXPECT_TRUE(SameAudio(TrackBytes(1), before));
  EXPECT_EQ(doc->m_nUndoCount, 0);
  EXPECT_EQ(app->m_recorder.State(), RecorderIdle);
  EXPECT_EQ(player().State(), PlayerIdle);
}

TEST_F(RecordingSessionTest, AFullDiskEndsTheTakeWithoutTouchingTheProject) {
  const std::string before = Tone(4 * kSecond, 2);
  LoadTrack(1, before);
  // The take's second buffer meets a full disk.
  int result = -1;
  {
    FileSizeLimit limit(100000);
    ASSERT_TRUE(limit.Set());
    result = Record(2000);
  }
  EXPECT_EQ(result, 0);
  std::string shown;
  for (const auto& box : system->messages.shown) shown += box.text + "\n";
  for (const std::string& text : messageDialogTexts) shown += text + "\n";
  EXPECT_NE(shown.find("Failed to write recorded audio to file: " + app->m_szRecordedAudioPath), std::string::npos) << shown;
  EXPECT_NE(shown.find("The take was not added to the project."), std::string::npos) << shown;
  EXPECT_TRUE(SameAudio(TrackBytes(1), before));
  EXPECT_EQ(doc->m_nUndoCount, 0);
  EXPECT_EQ(app->m_recorder.State(), RecorderIdle);
  EXPECT_EQ(player().State(), PlayerIdle);
  // A second failed take is kept beside the first, under a name of its own, and both
  // outlast the session.
  {
    FileSizeLimit limit(100000);
    ASSERT_TRUE(limit.Set());
    EXPECT_EQ(Record(2000), 0);
  }
  const std::vector<std::string> kept = KeptTakes();
  ASSERT_EQ(kept.size(), 2u);
  for (const std::string& path : kept) {
    EXPECT_GE(ReadFileBytes(path).size(), 88200u) << path << ": the audio before the failure is not all there";
  }
  doc->CleanupTempDir();
  EXPECT_EQ(KeptTakes(), kept);
}

TEST_F(RecordingSessionTest, TenMinutesWithStallsUnderSixTenthsOfASecondNeverFail) {
  LoadTrack(0, Tone(20 * kSecond, 3));
  std::mt19937 random(13);
  std::uniform_int_distribution<uint32_t> stall(0, 600), between(40, 3000);
  system->dialogs.OnShow("record_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface&) {
    logic.OnCommand(IDC_RECORD_DIALOG_START);
    for (uint32_t elapsed = 0; elapsed < 600000 && app->m_recordingDialog.IsRecording();) {
      const uint32_t run = between(random) / 10 * 10, pause = stall(random);
      Run(run);
      Stall(pause);
      elapsed += run + pause;
    }
    if (app->m_recordingDialog.IsRecording()) logic.OnCommand(IDC_RECORD_DIALOG_STOP);
  });
  EXPECT_EQ(app->OnCommand(ID_TRANSPORT_RECORD), 1);
  EXPECT_TRUE(failures.empty()) << failures.front().caption;
  EXPECT_EQ(app->m_recorder.AccumulatedDelays(), 0);
  EXPECT_EQ(player().AccumulatedDelays(), 0);
  EXPECT_GE(doc->Track(1).m_PCM.nSize, 599u * kSecond);
}

}  // namespace
