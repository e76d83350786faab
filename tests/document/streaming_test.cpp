// The mixdown and the imports in one pass: an export streams the mix into its target
// without a file of the whole mix, the MP3 encoder runs on its own thread, and an
// import into an empty track builds the track's peaks as it writes it. Each must
// give the bytes the step-by-step way gives, and a cancel must leave nothing behind.

#include <filesystem>

#include "audio_store/codec_modules.h"
#include "audio_store/peak_file.h"
#include "document/export_dialogs.h"
#include "tests/support/cancel_at.h"
#include "tests/support/document_fixture.h"
#include "tests/support/prerequisites.h"

namespace {

namespace fs = std::filesystem;

struct StreamingTest : DocumentTest {
  void Accept(const std::string& layout) {
    system->dialogs.OnShow(layout, [](platform::DialogLogic& logic, platform::MemoryDialogSurface&) { logic.OnOK(); });
  }
  // The mix as MixDownToOneFile writes it into a file.
  std::string MixFile() { return MixDownFile("whole_mix.pcm"); }
  // The names in a folder, less the session's own folders.
  std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(StreamingTest, TheThreadedMp3ExportIsTheEncodingOfTheWholeMix) {
  LoadTrack(0, Pattern(5 * 88200 + 1000, 1));
  LoadTrack(1, Pattern(2 * 88200, 2));
  app->m_boardTracks.SetTrackLevel(1, 14, kLevelLeft);
  const std::string mix = MixFile();
  ASSERT_EQ(CallLameEncode("Test", mix, root / "expected.mp3", 2, 16, 44100, 128, nullptr), kCodecDone);
  CMP3Dialog& settings = app->m_mp3Dialog;
  auto tag = Mp3Tag(settings.m_strTitle, settings.m_strArtist, settings.m_strAlbum, settings.m_strYear,
                    settings.m_strComment, settings.m_nGenre);
  const std::string expected = ReadFileBytes(root / "expected.mp3") + std::string(tag.begin(), tag.end());

  Accept("mp3_dialog");
  ASSERT_EQ(app->ExportMix(Operation::kWriteMp3, root / "song.mp3"), 1);
  EXPECT_TRUE(ReadFileBytes(root / "song.mp3") == expected);
}

TEST_F(StreamingTest, ACancelledExportLeavesNeitherTargetNorSideFiles) {
  LoadTrack(0, Pattern(20 * 88200, 3));
  const auto session = Names(app->m_szTempFolder);
  const auto folder = Names(root.Path());
  // The user presses Cancel a few blocks into the mix.
  CancelAt canceller(app->m_operationDialog, 4);
  app->m_waveDialog.sampleRate = 22050;
  app->m_waveDialog.bitsPerSample = 8;
  for (const char* name : {"song.wav", "song.mp3"}) {
    canceller.reports = 0;
    system->timers.SetTimer(&canceller, 1, 0);
    Accept(std::string(name).ends_with("wav") ? "wave_dialog" : "mp3_dialog");
    EXPECT_EQ(app->ExportMix(std::string(name).ends_with("wav") ? Operation::kWriteWave : Operation::kWriteMp3, root / name), 3) << name;
    system->timers.KillTimer(&canceller, 1);
    EXPECT_GE(canceller.reports, 4);
    EXPECT_EQ(Names(root.Path()), folder) << name;
    EXPECT_EQ(Names(app->m_szTempFolder), session) << name;
  }
}

TEST_F(StreamingTest, ATrackFileThatCannotBeOpenedStopsTheExport) {
  LoadTrack(0, Pattern(88200, 1));
  LoadTrack(1, Pattern(88200, 2));
  WriteFileBytes(root / "song.wav", "the old export");
  fs::remove(doc->Track(1).m_PCM.szPath);
  Accept("wave_dialog");
  EXPECT_EQ(app->ExportMix(Operation::kWriteWave, root / "song.wav"), 0);  // not a mix without track 2
  EXPECT_TRUE(Showed("Failed to open pcm file (" + doc->Track(1).m_PCM.szPath + ") for track 1"));
  EXPECT_EQ(ReadFileBytes(root / "song.wav"), "the old export");
}

TEST_F(StreamingTest, AnImportIntoAnEmptyTrackBuildsThePeaksOfItsFile) {
  REQUIRE_TOOLS("sox");
  const std::string wav = root / "tone.wav";
  ASSERT_EQ(std::system(("sox -V1 -n -r 22050 -c 1 -b 16 '" + wav + "' synth 2.3 sine 300 sine 1200").c_str()), 0);
  ASSERT_EQ(app->ImportFile(wav), 1);
  const CAudioTrack& track = doc->Track(0);
  const std::string built = ReadFileBytes(track.m_szPeakPath);
  uint32_t length = 0;
  app->m_operationDialog.BeginOperation();
  ASSERT_EQ(RenderPeakFile(track.m_PCM, root / "rendered.pek", &app->m_operationDialog, length), 1);
  app->m_operationDialog.EndOperation();
  EXPECT_TRUE(SameAudio(built, ReadFileBytes(root / "rendered.pek")));
  EXPECT_EQ(track.m_nPeakLength, length);
  EXPECT_EQ(track.m_pos.m_nRenderedLength, length);
  // The peaks were built beside the audio and moved into place: nothing of theirs is left.
  for (const std::string& name : Names(app->m_szTempFolder)) EXPECT_EQ(name.find("import"), std::string::npos) << name;
  // The same file spliced into the track's middle: the peaks are rendered afterwards.
  Select(88200, 88200);
  ASSERT_EQ(app->ImportFile(wav), 1);
  app->m_operationDialog.BeginOperation();
  ASSERT_EQ(RenderPeakFile(track.m_PCM, root / "rendered.pek", &app->m_operationDialog, length), 1);
  app->m_operationDialog.EndOperation();
  EXPECT_TRUE(SameAudio(ReadFileBytes(track.m_szPeakPath), ReadFileBytes(root / "rendered.pek")));
}

}  // namespace
