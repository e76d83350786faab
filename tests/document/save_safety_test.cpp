// What a save and an open do with files that are not what they should be: links
// planted in a project folder, read-only files, FIFOs, records cut short, and the
// commit file of a save that was stopped.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/command_ids.h"
#include "document/import_old_dialog.h"
#include "document/project_commit.h"
#include "document/project_record.h"
#include "platform/file_commit.h"
#include "platform/side_file.h"
#include "tests/support/document_fixture.h"

namespace {

namespace fs = std::filesystem;

struct SaveSafetyTest : DocumentTest {
  std::string project = root / "songs/song.mix";
  std::string folder;
  std::string one = Pattern(8000, 1), two = Pattern(4000, 2);

  void SetUp() override {
    DocumentTest::SetUp();
    fs::create_directories(root / "songs");
    LoadTrack(0, one);
    LoadTrack(1, two);
    ASSERT_EQ(app->SaveProject(false, project), 1);
    folder = doc->m_szProjectFolder;
  }

  // Deletes the first 400 bytes of track 1 and saves.
  int EditAndSave() {
    app->OnCommand(TrackSelectCommand(0));
    Select(0, 400);
    EXPECT_EQ(app->OnCommand(ID_EDIT_DELETE), 1);
    return app->SaveProject(false);
  }

  std::vector<std::string> HiddenFiles() {
    std::vector<std::string> hidden;
    for (const std::string& where : {root / "songs", folder}) {
      for (const auto& entry : fs::directory_iterator(where)) {
        if (entry.path().filename().string()[0] == '.') hidden.push_back(entry.path());
      }
    }
    return hidden;
  }
};

TEST_F(SaveSafetyTest, PlantedLinksAreReplacedNeverWrittenThrough) {
  WriteFileBytes(root / "victim", "keep");
  for (const std::string& link : {folder + "/track0.pcm.saving", project + ".saving", folder + "/track0.pcm.probe",
                                  root / "songs/out.wav.probe"}) {
    fs::create_symlink(root / "victim", link);
  }
  ASSERT_EQ(EditAndSave(), 1);
  system->dialogs.OnShow("wave_dialog",
                         [](platform::DialogLogic& logic, platform::MemoryDialogSurface&) { logic.OnOK(); });
  system->fileDialogs.Answer(root / "songs/out.wav");
  ASSERT_EQ(app->OnCommand(ID_FILE_SAVE_AS_WAVE), 1);
  EXPECT_EQ(ReadFileBytes(root / "songs/out.wav").substr(0, 4), "RIFF");
  EXPECT_EQ(ReadFileBytes(root / "victim"), "keep");
  EXPECT_TRUE(SameAudio(ReadFileBytes(folder + "/track0.pcm"), one.substr(400)));
  EXPECT_TRUE(HiddenFiles().empty());

  // Links under the project's own names are replaced as links, not followed.
  fs::remove(folder + "/track0.pcm");
  fs::create_symlink(root / "victim", folder + "/track0.pcm");
  fs::create_symlink(root / "victim", root / "songs/.song.mix.commit");
  Select(0, 400);
  ASSERT_EQ(app->OnCommand(ID_EDIT_DELETE), 1);
  ASSERT_EQ(app->SaveProject(false), 1);
  EXPECT_EQ(ReadFileBytes(root / "victim"), "keep");
  EXPECT_FALSE(fs::is_symlink(folder + "/track0.pcm"));
  EXPECT_TRUE(SameAudio(ReadFileBytes(folder + "/track0.pcm"), one.substr(800)));
}

TEST_F(SaveSafetyTest, ReadOnlyFilesAreNotReplaced) {
  const std::string saved = ReadFileBytes(project);
  chmod(project.c_str(), 0444);
  EXPECT_EQ(EditAndSave(), 0);
  EXPECT_TRUE(Showed(project + "\nThe file is read-only; the project was not saved."));
  EXPECT_EQ(ReadFileBytes(project), saved);
  EXPECT_TRUE(SameAudio(ReadFileBytes(folder + "/track0.pcm"), one));
  chmod(project.c_str(), 0644);
  chmod((folder + "/track0.pcm").c_str(), 0444);
  EXPECT_EQ(app->SaveProject(false), 0);
  EXPECT_TRUE(Showed(folder + "/track0.pcm\nThe file is read-only"));
  EXPECT_EQ(ReadFileBytes(project), saved);
  chmod((folder + "/track0.pcm").c_str(), 0644);
  EXPECT_EQ(app->SaveProject(false), 1);
  EXPECT_TRUE(HiddenFiles().empty());
}

TEST_F(SaveSafetyTest, RecordsCutShortOrOfUnknownVersionsAreRefused) {
  const std::string good = ReadFileBytes(project);
  const std::string damaged = root / "songs/damaged.mix";
  LoadTrack(2, Pattern(1200, 3));
  struct Case {
    std::string bytes, message;
  } cases[] = {
      {good.substr(0, 2405), "is damaged: it holds 2405 of the 5892 bytes"},
      {"SNVX33", "is damaged: it holds 6 of the 5892 bytes"},
      {"SNVX", "is damaged: it holds 4 of the 1313 bytes"},
      {"SNVX2", "is damaged: it holds 5 of the 1313 bytes"},
      {"SNVX34" + good.substr(6), "was saved in the project format SNVX34"},
  };
  for (const Case& c : cases) {
    WriteFileBytes(damaged, c.bytes);
    EXPECT_EQ(app->OpenDocument(damaged), 0) << c.message;
    EXPECT_TRUE(Showed(c.message)) << c.message;
    // The open project is as it was.
    EXPECT_EQ(doc->m_szProjectPath, project);
    EXPECT_EQ(doc->Track(2).m_pos.m_nLength, 1200u);
  }
  // A FIFO under a project's name is refused at once, not waited on.
  ASSERT_EQ(mkfifo((root / "songs/pipe.mix").c_str(), 0644), 0);
  EXPECT_EQ(app->OpenDocument(root / "songs/pipe.mix"), 0);
  EXPECT_TRUE(Showed("is not a valid Sonavel file."));
  EXPECT_EQ(app->OpenDocument(project), 1);
}

TEST_F(SaveSafetyTest, ASaveStoppedAfterItsCommitIsFinishedByTheNextOpen) {
  const std::string oldRecord = ReadFileBytes(project);
  ASSERT_EQ(EditAndSave(), 1);
  const std::string newRecord = ReadFileBytes(project), newTrack = ReadFileBytes(folder + "/track0.pcm");
  // Back to the first save, with the second one's files written and decided but
  // only its record renamed when the process stopped.
  WriteFileBytes(project, oldRecord);
  WriteFileBytes(folder + "/track0.pcm", one);
  std::vector<platform::Replacement> replacements;
  for (const auto& [target, bytes] : {std::pair{project, newRecord}, std::pair{folder + "/track0.pcm", newTrack}}) {
    platform::SideFile side;
    ASSERT_TRUE(side.Create(target) && side.Write(bytes.data(), bytes.size()) && side.Finish());
    side.Keep();
    replacements.push_back({side.Path(), side.Target()});
  }
  ASSERT_TRUE(platform::WriteCommitFile(SaveCommitPath(project), replacements));
  ASSERT_TRUE(fs::exists(replacements[0].side));
  ASSERT_EQ(rename(replacements[0].side.c_str(), project.c_str()), 0);

  ASSERT_EQ(app->OpenDocument(project), 1);
  EXPECT_TRUE(Showed("The save of " + project + " that was interrupted has been finished."));
  EXPECT_EQ(ReadFileBytes(project), newRecord);
  EXPECT_TRUE(SameAudio(TrackBytes(0), one.substr(400)));
  EXPECT_TRUE(HiddenFiles().empty());
}

TEST_F(SaveSafetyTest, ACommitFileThatIsCutShortOrNamesOtherFilesIsNotCarriedOut) {
  const std::string record = ReadFileBytes(project);
  // Side files of a save that stopped before its commit file was whole.
  platform::SideFile side;
  ASSERT_TRUE(side.Create(folder + "/track0.pcm") && side.Write("junk", 4) && side.Finish());
  side.Keep();
  WriteFileBytes(SaveCommitPath(project), "trackwright commit 1\n2\n");
  // A commit file from elsewhere naming a file outside the project.
  WriteFileBytes(root / "victim", "keep");
  platform::SideFile planted;
  ASSERT_TRUE(planted.Create(root / "victim") && planted.Write("evil", 4) && planted.Finish());
  planted.Keep();
  ASSERT_TRUE(platform::WriteCommitFile(root / "songs/.other.mix.commit", {{planted.Path(), root / "victim"}}));
  fs::rename(root / "songs/.other.mix.commit", SaveCommitPath(project) + ".x");

  ASSERT_EQ(app->OpenDocument(project), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), one));
  EXPECT_EQ(ReadFileBytes(project), record);
  EXPECT_TRUE(HiddenFiles().size() == 1u && HiddenFiles()[0] == SaveCommitPath(project) + ".x");

  fs::rename(SaveCommitPath(project) + ".x", SaveCommitPath(project));
  ASSERT_EQ(app->OpenDocument(project), 1);
  EXPECT_EQ(ReadFileBytes(root / "victim"), "keep");
  EXPECT_TRUE(HiddenFiles().empty());
}

TEST_F(SaveSafetyTest, AMigrationThatLacksATrackLeavesTheOpenProjectAlone) {
  const std::string oldAudio = root / "old";
  fs::create_directories(oldAudio + "/audio/20020101120000");
  WriteFileBytes(oldAudio + "/audio/20020101120000/track1.pcm", Pattern(4000, 9));
  std::string legacy(LegacyRecord::kSize, '\0');
  legacy.replace(0, 4, "SNVX");
  legacy.replace(4, 14, "20020101120000");
  legacy[27] = 2;  // track 2 is missing
  WriteFileBytes(root / "songs/old.mix", legacy);
  system->dialogs.OnShow("import_old_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& page) {
    page.Control(IDC_OLD_AUDIO_PATH)->SetText(oldAudio);
    logic.OnOK();
  });
  EXPECT_EQ(app->OpenDocument(root / "songs/old.mix"), 0);
  EXPECT_TRUE(Showed("Failed to find the tracks for this project."));
  EXPECT_EQ(doc->m_szProjectPath, project);
  EXPECT_TRUE(SameAudio(TrackBytes(0), one));
  EXPECT_TRUE(SameAudio(TrackBytes(1), two));
  EXPECT_EQ(doc->m_nProjectLength, 8000u);
  // With both tracks there it goes through.
  WriteFileBytes(oldAudio + "/audio/20020101120000/track2.pcm", Pattern(2000, 8));
  EXPECT_EQ(app->OpenDocument(root / "songs/old.mix"), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(1), Pattern(2000, 8)));
}

}  // namespace
