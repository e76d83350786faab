#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/command_ids.h"
#include "document/import_old_dialog.h"
#include "document/project_record.h"
#include "tests/support/document_fixture.h"

namespace {

namespace fs = std::filesystem;

struct ProjectTest : DocumentTest {
  std::string project = root / "songs/demo.mix";
  void SetUp() override {
    DocumentTest::SetUp();
    fs::create_directories(root / "songs");
  }
  // A fresh session, as after quitting and starting again.
  void Restart() {
    app.reset();
    app = std::make_unique<CMixerApp>();
    ASSERT_TRUE(app->InitInstance({"", [this] {
                                     auto made = std::make_unique<Frame>();
                                     frame = made.get();
                                     return made;
                                   }}));
    doc = app->m_pDocument;
  }
};

TEST_F(ProjectTest, ASavedProjectOpensWithTheSameAudioAndSettings) {
  std::string one = Pattern(40000, 1), six = Pattern(12000, 6);
  LoadTrack(0, one);
  LoadTrack(5, six);
  app->OnCommand(TrackSelectCommand(5));
  Select(400, 800);
  doc->m_mirror.m_nMarkerBegin = 1000;
  doc->m_mirror.m_nMarkerEnd = 2000;
  app->m_boardTracks.SetTrackName(6, "Bass");
  app->m_boardTracks.SetTrackLevel(5, 20, kLevelLeft);
  app->m_boardTracks.SetTrackLevel(5, 30, kLevelRight);
  app->m_boardTracks.HandleSolo(5);
  app->m_boardTracks.HandleMute(0);
  app->m_boardMain.SetMasterLevel(12, kLevelLeft);
  app->m_boardMain.SetProjectDescription("A demo");
  MetronomeSettings metronome = app->m_config.Metronome();
  metronome.tempo = 133;
  metronome.measure = 2;
  app->m_metronomeDialog.Accept(metronome);
  doc->m_nCurrentPos = 4000;
  ASSERT_EQ(app->SaveProject(false, project), 1);
  EXPECT_FALSE(doc->IsModified());
  std::string bytes = ReadFileBytes(project);
  ASSERT_EQ(bytes.size(), 5892u);
  EXPECT_EQ(bytes.substr(0, 7), std::string("SNVX33\0", 7));

  Restart();
  app->m_config.metronomeTempo = 90;
  app->m_metronomeDialog.ApplySettings();
  ASSERT_EQ(app->OpenDocument(project), 1);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(SameAudio(TrackBytes(0), one));
  EXPECT_TRUE(SameAudio(TrackBytes(5), six));
  EXPECT_EQ(doc->m_nCurrentTrack, 5);
  EXPECT_EQ(doc->m_mirror.m_nHighlightBegin, 400u);
  EXPECT_EQ(doc->m_mirror.m_nMarkerEnd, 2000);
  EXPECT_EQ(app->m_boardTracks.GetTrackName(6), "Bass");
  EXPECT_EQ(app->m_boardTracks.GetTrackLevel(5, kLevelLeft), 20);
  EXPECT_EQ(app->m_boardTracks.GetTrackLevel(5, kLevelRight), 30);
  EXPECT_EQ(doc->Track(5).m_bSolo, 1);
  EXPECT_EQ(doc->Track(0).m_bMuted, 1);
  EXPECT_EQ(app->m_boardMain.MasterLevel(kLevelLeft), 12);
  EXPECT_EQ(app->m_boardMain.ProjectDescription(), "A demo");
  // The project's metronome becomes the configuration's, which every beat display uses.
  EXPECT_EQ(app->m_config.metronomeTempo, 133);
  EXPECT_EQ(app->m_config.metronomeMeasure, 2);
  EXPECT_EQ(app->m_metronomeDialog.Settings().tempo, 133);
  EXPECT_EQ(doc->m_nCurrentPos, 4000u);
  EXPECT_EQ(doc->m_nProjectLength, 40000u);

  // Edits read the project's files and write the session's; the saved files stay.
  Select(0, 4000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
  EXPECT_TRUE(SameAudio(ReadFileBytes(doc->m_szProjectFolder + "/track5.pcm"), six));
  ASSERT_EQ(app->SaveProject(false), 1);
  EXPECT_TRUE(SameAudio(ReadFileBytes(doc->m_szProjectFolder + "/track5.pcm"), six.substr(4000)));
}

TEST_F(ProjectTest, SavingAgainCopiesOnlyTheTracksChangedSince) {
  LoadTrack(0, Pattern(20000, 1));
  LoadTrack(1, Pattern(20000, 2));
  ASSERT_EQ(app->SaveProject(false, project), 1);
  const std::string folder = doc->m_szProjectFolder;
  EXPECT_EQ(folder.rfind(app->m_szAudioFolder + "/", 0), 0u);
  // Mark the saved copies: a save that copied a track again would overwrite the mark.
  WriteFileBytes(folder + "/track0.pcm", "mark");
  WriteFileBytes(folder + "/track1.pcm", "mark");
  app->OnCommand(TrackSelectCommand(1));
  Select(0, 400);
  ASSERT_EQ(app->OnCommand(ID_EDIT_DELETE), 1);
  ASSERT_EQ(app->SaveProject(false), 1);
  EXPECT_EQ(doc->m_szProjectFolder, folder);
  EXPECT_EQ(ReadFileBytes(folder + "/track0.pcm"), "mark");
  EXPECT_EQ(ReadFileBytes(folder + "/track1.pcm").size(), 19600u);
  for (const auto& entry : fs::directory_iterator(folder)) {
    EXPECT_EQ(entry.path().string().find(".saving"), std::string::npos) << entry.path();
  }
}

TEST_F(ProjectTest, SaveAsMakesAProjectOfItsOwn) {
  std::string audio = Pattern(8000, 3);
  LoadTrack(0, audio);
  ASSERT_EQ(app->SaveProject(false, project), 1);
  const std::string first = doc->m_szProjectFolder;
  system->fileDialogs.Answer(root / "songs/copy.mix");
  ASSERT_EQ(app->OnCommand(ID_FILE_SAVE_AS), 1);
  EXPECT_NE(doc->m_szProjectFolder, first);
  EXPECT_TRUE(SameAudio(ReadFileBytes(doc->m_szProjectFolder + "/track0.pcm"), audio));
  EXPECT_EQ(doc->m_szProjectPath, root / "songs/copy.mix");
  // Save with no name and no answer from the dialog saves nothing.
  doc->m_szProjectPath.clear();
  EXPECT_EQ(app->OnCommand(ID_FILE_SAVE), platform::IDCANCEL);
}

TEST_F(ProjectTest, FilesThatAreNotProjectsAreRefused) {
  std::string audio = Pattern(8000, 4);
  LoadTrack(0, audio);
  ASSERT_EQ(app->SaveProject(false, project), 1);

  WriteFileBytes(root / "songs/other.mix", "RIFF....WAVEfmt ");
  EXPECT_EQ(app->OpenDocument(root / "songs/other.mix"), 0);
  EXPECT_TRUE(Showed("is not a valid Sonavel file."));
  EXPECT_EQ(doc->m_szProjectPath, project);

  EXPECT_EQ(app->OpenDocument(root / "songs/missing.mix"), 0);
  EXPECT_TRUE(Showed("songs/missing.mix. The file does not exist."));
}

TEST_F(ProjectTest, AProjectLackingAudioOpensWithWhatIsThere) {
  std::string one = Pattern(8000, 4), two = Pattern(4000, 5), three = Pattern(2000, 6);
  LoadTrack(0, one);
  LoadTrack(1, two);
  LoadTrack(2, three);
  ASSERT_EQ(app->SaveProject(false, project), 1);
  const std::string folder = doc->m_szProjectFolder;
  const std::string record = ReadFileBytes(project);
  fs::resize_file(folder + "/track0.pcm", 1002);
  fs::remove(folder + "/track1.pcm");
  fs::remove(folder + "/track2.pek");  // a peak file lost: rendered anew

  ASSERT_EQ(app->OpenDocument(project), 1);
  EXPECT_TRUE(Showed("lacks audio of track 1 (1000 of its 8000 bytes), track 2 (its file is missing). These tracks "
                     "open with the audio that is there"));
  EXPECT_EQ(doc->Track(0).m_pos.m_nLength, 1000u);
  EXPECT_TRUE(SameAudio(TrackBytes(0), one.substr(0, 1002)));
  EXPECT_EQ(doc->Track(1).m_pos.m_nLength, 0u);
  EXPECT_TRUE(SameAudio(TrackBytes(2), three));
  EXPECT_EQ(doc->Track(0).m_pos.m_nRenderedLength, 1000u / 64);
  EXPECT_EQ(doc->Track(2).m_pos.m_nRenderedLength, 2000u / 64);
  EXPECT_FALSE(doc->IsModified());
  // Nothing in the project changed by opening it.
  EXPECT_EQ(ReadFileBytes(project), record);
  EXPECT_FALSE(fs::exists(folder + "/track1.pcm"));
  EXPECT_FALSE(fs::exists(folder + "/track2.pek"));
  // Saving makes the record and the peak files fit what is there.
  ASSERT_EQ(app->SaveProject(false), 1);
  EXPECT_EQ(fs::file_size(folder + "/track2.pek"), 2000u / 64 & ~1u);
  ASSERT_EQ(app->OpenDocument(project), 1);
  EXPECT_FALSE(Showed("lacks audio"));
  EXPECT_EQ(doc->Track(0).m_pos.m_nLength, 1000u);
  EXPECT_EQ(doc->Track(0).m_szPeakPath, folder + "/track0.pek");
}

TEST(ProjectRecord, OlderVersionsKeepTheirLevelsWhereTheyStood) {
  ProjectRecord record;
  record.tracks[3].left = 7;
  record.tracks[3].right = 9;
  std::vector<uint8_t> bytes = record.Encode();
  bytes[5] = '2';                   // version 32
  bytes[1296 + 3 * 572 + 512] = 4;  // the one level of version 30
  auto v32 = ProjectRecord::Decode(bytes.data(), bytes.size());
  ASSERT_TRUE(v32);
  EXPECT_EQ(v32->version, 32);
  EXPECT_EQ(v32->tracks[3].left, 7);
  EXPECT_EQ(v32->tracks[3].right, 9);
  bytes[5] = '0';
  auto v30 = ProjectRecord::Decode(bytes.data(), bytes.size());
  ASSERT_TRUE(v30);
  EXPECT_EQ(v30->tracks[3].level30, 4);
  bytes[5] = '1';
  EXPECT_FALSE(ProjectRecord::Decode(bytes.data(), bytes.size()));
  // Texts that fill their fields are cut at the field, never read past it.
  std::fill(bytes.begin() + 7, bytes.begin() + 1293, 'x');
  bytes[5] = '3';
  auto full = ProjectRecord::Decode(bytes.data(), bytes.size());
  ASSERT_TRUE(full);
  EXPECT_EQ(full->folder.size(), ProjectRecord::kFolderSize);
  EXPECT_EQ(full->description.size(), ProjectRecord::kDescriptionSize);
}

TEST(ProjectRecord, FilesAreToldApartByTheirStartAndSize) {
  std::vector<uint8_t> bytes = ProjectRecord().Encode();
  auto kind = [&bytes](size_t count) { return ClassifyProjectFile(bytes.data(), count); };
  EXPECT_EQ(kind(bytes.size()), ProjectFileKind::kProject);
  // A record cut anywhere is refused, down to its magic and version alone.
  for (size_t count : {6u, 7u, 2405u, 5891u}) {
    EXPECT_EQ(kind(count), ProjectFileKind::kShortProject) << count;
    EXPECT_FALSE(ProjectRecord::Decode(bytes.data(), count)) << count;
  }
  EXPECT_EQ(kind(5), ProjectFileKind::kShortProject);
  EXPECT_EQ(kind(4), ProjectFileKind::kShortLegacy);
  EXPECT_EQ(kind(3), ProjectFileKind::kNotProject);
  bytes[5] = '4';
  EXPECT_EQ(kind(bytes.size()), ProjectFileKind::kUnknownVersion);
  // A 2.x record names its folder by a time stamp where the version would be.
  std::memcpy(&bytes[4], "20020101120000", 14);
  EXPECT_EQ(kind(LegacyRecord::kSize), ProjectFileKind::kLegacy);
  EXPECT_EQ(kind(LegacyRecord::kMinimumSize), ProjectFileKind::kLegacy);
  EXPECT_EQ(kind(LegacyRecord::kMinimumSize - 1), ProjectFileKind::kShortLegacy);
}

TEST_F(ProjectTest, ALegacyProjectIsMigratedIntoTheSession) {
  const std::string oldAudio = root / "old";
  fs::create_directories(oldAudio + "/audio/20020101120000");
  std::string tracks[3] = {Pattern(4000, 1), Pattern(8000, 2), Pattern(1200, 3)};
  for (int n = 0; n < 3; ++n) {
    WriteFileBytes(oldAudio + "/audio/20020101120000/track" + std::to_string(n + 1) + ".pcm", tracks[n]);
  }
  std::string legacy(LegacyRecord::kSize, '\0');
  legacy.replace(0, 4, "SNVX");
  legacy.replace(4, 14, "20020101120000");
  legacy[18] = 50;  // master index 10
  for (int n = 0; n < 8; ++n) legacy[static_cast<size_t>(19 + n)] = static_cast<char>(40 + n);
  legacy[27] = 3;
  legacy.replace(28, 6, "Old mix");
  legacy.replace(284, 4, "Kick");
  legacy[1308] = 1;
  legacy[1309] = 3;  // no measure
  legacy[1310] = 90;
  legacy[1312] = 50;
  WriteFileBytes(root / "songs/old.mix", legacy);
  system->dialogs.OnShow("import_old_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& page) {
    page.Control(IDC_OLD_AUDIO_PATH)->SetText(oldAudio);
    logic.OnOK();
  });
  ASSERT_EQ(app->OpenDocument(root / "songs/old.mix"), 1);
  for (int n = 0; n < 3; ++n) EXPECT_TRUE(SameAudio(TrackBytes(n), tracks[n]));
  EXPECT_EQ(doc->Track(3).m_pos.m_nLength, 0u);
  EXPECT_EQ(app->m_boardTracks.GetTrackLevel(3, kLevelLeft), 60 - 43);
  EXPECT_EQ(app->m_boardTracks.GetTrackLevel(4, kLevelRight), kUnityLevel);
  EXPECT_EQ(app->m_boardMain.MasterLevel(kLevelRight), 10);
  EXPECT_EQ(app->m_boardTracks.GetTrackName(1), "Kick");
  EXPECT_EQ(app->m_config.metronomeMeasure, 0);
  EXPECT_EQ(app->m_config.metronomeTempo, 90);
  EXPECT_TRUE(doc->m_szProjectPath.empty());  // saved under a new name

  // Without the old tracks the migration stops with its message.
  fs::remove_all(oldAudio + "/audio");
  EXPECT_EQ(app->OpenDocument(root / "songs/old.mix"), 0);
  EXPECT_TRUE(Showed("Failed to find the tracks for this project."));
}

}  // namespace

namespace {

TEST_F(ProjectTest, ThrowingAwayEditedWorkAsksFirst) {
  LoadTrack(0, Pattern(8000, 7));
  EXPECT_TRUE(app->SaveModified());  // not modified: nothing to ask
  EXPECT_TRUE(system->messages.shown.empty());
  Select(0, 400);
  ASSERT_EQ(app->OnCommand(ID_EDIT_DELETE), 1);
  system->messages.Answer(platform::MessageResult::Yes);
  system->fileDialogs.Answer(project);
  EXPECT_TRUE(app->SaveModified());
  EXPECT_EQ(system->messages.shown.back().text, "Save changes to Untitled?");
  EXPECT_EQ(fs::file_size(project), 5892u);
  EXPECT_FALSE(doc->IsModified());
  // Yes without a name chosen keeps everything, as Cancel does.
  Select(0, 400);
  ASSERT_EQ(app->OnCommand(ID_EDIT_DELETE), 1);
  doc->m_szProjectPath.clear();
  system->messages.Answer(platform::MessageResult::Yes);
  EXPECT_FALSE(app->SaveModified());
  EXPECT_TRUE(doc->IsModified());
}

}  // namespace

namespace {

TEST_F(ProjectTest, MarkersBeyondTwoGigabytesSurviveOpeningAndSaving) {
  // A track of 2.6 GB (a sparse file) with markers past 2^31 bytes.
  const std::string folder = root / "big";
  fs::create_directories(folder);
  { std::ofstream(folder + "/track0.pcm"); }
  fs::resize_file(folder + "/track0.pcm", 2600000000u);
  ProjectRecord record;
  record.folder = folder;
  record.tracks[0].length = 2600000000u;
  record.tracks[0].viewEnd = record.tracks[0].viewWidth = 2600000000u;
  record.tracks[0].markerBegin = static_cast<int32_t>(2200000000u);
  record.tracks[0].markerEnd = static_cast<int32_t>(2400000000u);
  std::vector<uint8_t> bytes = record.Encode();
  WriteFileBytes(project, std::string(bytes.begin(), bytes.end()));
  ASSERT_EQ(app->OpenDocument(project), 1);
  EXPECT_EQ(MarkerValue(doc->Track(0).m_pos.m_nMarkerBegin), 2200000000u);
  EXPECT_EQ(MarkerValue(doc->Track(0).m_pos.m_nMarkerEnd), 2400000000u);
  ASSERT_EQ(app->SaveProject(false), 1);
  std::string saved = ReadFileBytes(project);
  auto reread = ProjectRecord::Decode(reinterpret_cast<const uint8_t*>(saved.data()), saved.size());
  ASSERT_TRUE(reread);
  EXPECT_EQ(MarkerValue(reread->tracks[0].markerBegin), 2200000000u);
  EXPECT_EQ(MarkerValue(reread->tracks[0].markerEnd), 2400000000u);
}

}  // namespace
