#include <cstdlib>
#include <filesystem>

#include "core/command_ids.h"
#include "document/export_dialogs.h"
#include "tests/support/document_fixture.h"
#include "tests/support/prerequisites.h"

namespace {

namespace fs = std::filesystem;

struct ImportExportTest : DocumentTest {
  void SetUp() override {
    REQUIRE_TOOLS("sox");
    DocumentTest::SetUp();
  }
  std::string Sox(const std::string& name, const std::string& format) {
    std::string path = root / name;
    std::string command = "sox -n " + format + " '" + path + "' synth 1 sine 440 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
  }
  static int16_t Sample(const std::string& bytes, size_t index) {
    return static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * index]) | static_cast<uint8_t>(bytes[2 * index + 1])
                                                                             << 8);
  }
};

TEST_F(ImportExportTest, AWaveIsInsertedAtTheHighlightBeginInTheProjectFormat) {
  std::string wav = Sox("tone.wav", "-r 22050 -c 1 -b 16");
  std::string audio = Pattern(352800, 1);
  LoadTrack(0, audio);
  Select(176400, 176400);
  ASSERT_EQ(app->ImportFile(wav), 1);
  std::string track = TrackBytes(0);
  ASSERT_EQ(track.size(), 352800u + 176400u);
  EXPECT_TRUE(SameAudio(track.substr(0, 176400), audio.substr(0, 176400)));
  EXPECT_TRUE(SameAudio(track.substr(352800), audio.substr(176400)));
  // The tone is there, in both channels alike.
  int16_t peak = 0;
  for (size_t s = 176400 / 2; s < 352800 / 2; s += 2) {
    peak = std::max<int16_t>(peak, Sample(track, s));
    ASSERT_EQ(Sample(track, s), Sample(track, s + 1));
  }
  EXPECT_GT(peak, 10000);
  EXPECT_EQ(doc->m_nUndoCount, 1);
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio));
}

TEST_F(ImportExportTest, AnMp3IsDecodedToItsOwnLength) {
  REQUIRE_TOOLS("lame");
  std::string wav = Sox("tone44.wav", "-r 44100 -c 2 -b 16");
  std::string mp3 = root / "tone.mp3";
  ASSERT_EQ(std::system(("lame --quiet -b 128 '" + wav + "' '" + mp3 + "'").c_str()), 0);
  ASSERT_EQ(app->ImportFile(mp3), 1);
  EXPECT_EQ(doc->m_mirror.m_nLength, 176400u);
  EXPECT_FALSE(doc->IsModified());  // imported into an empty project
}

TEST_F(ImportExportTest, AFileTheDecoderRefusesIsExplainedAndChangesNothing) {
  LoadTrack(0, Pattern(8000, 2));
  WriteFileBytes(root / "broken.wav", "RIFF\x10\0\0\0WAVEjunkjunk");
  Showed("");
  EXPECT_EQ(app->ImportFile(root / "broken.wav"), 3);
  EXPECT_TRUE(Showed("cannot be read"));
  EXPECT_EQ(doc->m_mirror.m_nLength, 8000u);
  EXPECT_EQ(app->ImportFile(root / "notes.txt"), 0);
  EXPECT_TRUE(Showed("File extension not supported"));
}

TEST_F(DocumentTest, TheMixIsPaddedToWholeBlocksAndClippedAt32700) {
  std::string loud(176400 + 17640, '\0');
  for (size_t i = 0; i < loud.size(); i += 4) {
    loud[i] = static_cast<char>(20000 & 0xFF);
    loud[i + 1] = static_cast<char>(20000 >> 8);
  }
  LoadTrack(0, loud);
  LoadTrack(1, loud);
  std::string path = root / "mix.pcm";
  std::FILE* out = std::fopen(path.c_str(), "wb");
  doc->PrepTracksForOp();
  app->m_operationDialog.BeginOperation();
  ASSERT_EQ(doc->MixDownToOneFile(out, false), 1);
  app->m_operationDialog.EndOperation();
  doc->PostTracksForOp();
  std::fclose(out);
  std::string mix = ReadFileBytes(path);
  ASSERT_EQ(mix.size(), 264600u);
  EXPECT_EQ(ImportExportTest::Sample(mix, 0), 32700);  // not 40000, not 32767
  EXPECT_EQ(ImportExportTest::Sample(mix, 1), 0);
  EXPECT_EQ(ImportExportTest::Sample(mix, (176400 + 17640) / 2), 0);  // the padding is silence
}

TEST_F(DocumentTest, ATrackFileCutShortOutsideTheProgramStopsTheMixdown) {
  LoadTrack(0, Pattern(176400, 1));
  LoadTrack(1, Pattern(88200, 2));
  fs::resize_file(doc->Track(1).m_PCM.szPath, 50000);
  std::string path = root / "mix.pcm";
  std::FILE* out = std::fopen(path.c_str(), "wb");
  doc->PrepTracksForOp();
  app->m_operationDialog.BeginOperation();
  EXPECT_EQ(doc->MixDownToOneFile(out, false), 0);  // not a mix with a silent gap
  app->m_operationDialog.EndOperation();
  doc->PostTracksForOp();
  std::fclose(out);
  EXPECT_TRUE(Showed("The audio file of track 2 (" + doc->Track(1).m_PCM.szPath +
                     ") ends after 50000 of its 88200 bytes: it was changed outside the program."));
}

TEST_F(DocumentTest, SoloSilencesTheOthersAndMuteSilencesEvenASoloedTrack) {
  std::string a = Pattern(88200, 1), b = Pattern(88200, 2);
  LoadTrack(0, a);
  LoadTrack(1, b);
  auto mixed = [this] { return ReadFileBytes(MixDownFile("mix.pcm")); };
  app->m_boardTracks.HandleSolo(1);
  app->m_boardTracks.HandleMute(0);
  EXPECT_TRUE(SameAudio(mixed(), b));  // unity levels: the soloed track alone, as it is
  app->m_boardTracks.HandleMute(1);
  EXPECT_TRUE(SameAudio(mixed(), std::string(88200, '\0')));
  app->m_boardTracks.HandleMute(1);
  app->m_boardTracks.SetTrackLevel(1, kSilentLevel, kLevelBoth);
  EXPECT_TRUE(SameAudio(mixed(), std::string(88200, '\0')));
}

TEST_F(ImportExportTest, AWaveExportCarriesTheEstimatedSizeAndLeavesTheProjectName) {
  LoadTrack(0, Pattern(176400, 3));
  ASSERT_EQ(app->SaveProject(false, root / "song.mix"), 1);
  app->m_waveDialog.sampleRate = 22050;
  app->m_waveDialog.bitsPerSample = 8;
  app->m_waveDialog.channels = 1;
  system->dialogs.OnShow("wave_dialog",
                         [](platform::DialogLogic& logic, platform::MemoryDialogSurface&) { logic.OnOK(); });
  system->fileDialogs.Answer(root / "song.wav");
  ASSERT_EQ(app->OnCommand(ID_FILE_SAVE_AS_WAVE), 1);
  std::string wav = ReadFileBytes(root / "song.wav");
  ASSERT_GE(wav.size(), 44u);
  const uint32_t declared =
      static_cast<uint8_t>(wav[40]) | static_cast<uint8_t>(wav[41]) << 8 | static_cast<uint8_t>(wav[42]) << 16;
  EXPECT_EQ(declared, 22048u);  // one second at 22050 one-byte frames, to whole frames of four
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(doc->m_szProjectPath, root / "song.mix");
  ASSERT_EQ(app->SaveProject(false), 1);
  EXPECT_EQ(ReadFileBytes(root / "song.mix").substr(0, 6), "SNVX33");
}

TEST_F(ImportExportTest, TrackMixdownPutsTheMixOnTheTargetAndEndsUndo) {
  LoadTrack(0, Pattern(88200, 1));
  LoadTrack(1, Pattern(20000, 2));
  LoadTrack(2, Pattern(4000, 3));
  Select(0, 400);
  ASSERT_EQ(app->OnCommand(ID_EDIT_DELETE), 1);
  system->dialogs.OnShow("track_mixdown_dialog", [](platform::DialogLogic& logic, platform::MemoryDialogSurface& page) {
    page.Control(CTrackMixdownDialog::SourceId(0))->SetChecked(true);
    page.Control(CTrackMixdownDialog::SourceId(1))->SetChecked(true);
    logic.OnOK();  // no target yet: the dialog stays open
    EXPECT_TRUE(logic.HasWindow());
    page.Control(CTrackMixdownDialog::TargetId(2))->SetChecked(true);
    logic.OnOK();
  });
  ASSERT_EQ(app->OnCommand(ID_TOOLS_MIXDOWN_TRACK), 1);
  EXPECT_TRUE(Showed("Please select a target track."));
  EXPECT_EQ(doc->Track(0).m_pos.m_nLength, 0u);
  EXPECT_EQ(doc->Track(1).m_pos.m_nLength, 0u);
  EXPECT_EQ(doc->Track(2).m_pos.m_nLength, 88200u);
  EXPECT_EQ(TrackBytes(2).size(), 88200u);
  EXPECT_EQ(doc->m_nUndoCount, 0);
  EXPECT_EQ(doc->m_nCurrentPos, 0u);
}

TEST(Mp3Tag, TextsAreCutToTheirFields) {
  auto tag = Mp3Tag(std::string(40, 't'), "Artist", "Album", "20265", "", 147);
  EXPECT_EQ(std::string(tag.begin(), tag.begin() + 3), "TAG");
  EXPECT_EQ(std::string(tag.begin() + 3, tag.begin() + 33), std::string(30, 't'));
  EXPECT_EQ(tag[33], 'A');
  EXPECT_EQ(std::string(tag.begin() + 93, tag.begin() + 97), "2026");
  EXPECT_EQ(tag[97], 0);
  EXPECT_EQ(tag[127], 147);
  EXPECT_STREQ(kMp3Genres[0], "Blues");
  EXPECT_STREQ(kMp3Genres[147], "SynthPop");
}

}  // namespace
