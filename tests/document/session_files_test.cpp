// What a session leaves in its folder after each operation, how a file that is not
// there is met, and the window title's mark of unsaved changes.

#include <filesystem>
#include <set>

#include "core/command_ids.h"
#include "app/left_sessions.h"
#include "audio_store/wave_header.h"
#include "tests/support/document_fixture.h"
#include "tests/support/prerequisites.h"

namespace {

namespace fs = std::filesystem;

struct SessionFilesTest : DocumentTest {
  // Files in the session folder besides the working files that live as long as it.
  std::vector<std::string> StrayFiles() {
    std::set<std::string> working = {"clipboard.pcm", kSessionOwnerFile};
    for (int n = 0; n < 8; ++n)
      working.insert({"track" + std::to_string(n) + ".pcm", "track" + std::to_string(n) + ".pek"});
    for (const char* scratch : {"temp_a", "temp_b", "temp_c", "temp_d"}) working.insert(std::string(scratch) + ".pcm");
    for (int n = 0; n < 4; ++n)
      working.insert({"undo" + std::to_string(n) + ".pcm", "redo" + std::to_string(n) + ".pcm"});
    std::vector<std::string> stray;
    for (const auto& entry : fs::directory_iterator(app->m_szTempFolder)) {
      std::string name = entry.path().filename().string();
      if (!working.count(name)) stray.push_back(name);
    }
    return stray;
  }
  void AcceptDialog(const std::string& layout) {
    system->dialogs.OnShow(layout, [](platform::DialogLogic& logic, platform::MemoryDialogSurface&) { logic.OnOK(); });
  }
  std::string WaveFile(const std::string& name, uint32_t bytes) {
    auto header = WaveHeaderBytes(bytes, 44100, 2, 16);
    std::string path = root / name;
    WriteFileBytes(path, std::string(header.begin(), header.end()) + std::string(bytes, '\x11'));
    return path;
  }
  bool ShowedErrorReport() {
    for (const auto& box : system->messages.shown) {
      if (box.text.find("Please email") != std::string::npos) return true;
    }
    return false;
  }
};

using Names = std::vector<std::string>;

TEST_F(SessionFilesTest, ExportsLeaveNoScratchFileWhateverTheirEnd) {
  LoadTrack(0, Pattern(176400, 1));
  // Done.
  AcceptDialog("wave_dialog");
  ASSERT_EQ(app->ExportMix(Operation::kWriteWave, root / "mix.wav"), 1);
  EXPECT_GT(fs::file_size(root / "mix.wav"), 176400u);
  EXPECT_EQ(StrayFiles(), Names{});
  AcceptDialog("mp3_dialog");
  ASSERT_EQ(app->ExportMix(Operation::kWriteMp3, root / "mix.mp3"), 1);
  EXPECT_EQ(StrayFiles(), Names{});
  // Failed: the target's folder does not exist.
  EXPECT_EQ(app->ExportMix(Operation::kWriteWave, root / "missing/mix.wav"), 0);
  EXPECT_EQ(StrayFiles(), Names{});
  EXPECT_EQ(app->ExportMix(Operation::kWriteMp3, root / "missing/mix.mp3"), 0);
  EXPECT_EQ(StrayFiles(), Names{});
  // Cancelled in the format dialog.
  system->dialogs.OnShow("wave_dialog", [](platform::DialogLogic&, platform::MemoryDialogSurface&) {});
  EXPECT_EQ(app->ExportMix(Operation::kWriteWave, root / "other.wav"), 3);
  EXPECT_EQ(StrayFiles(), Names{});
  // Onto a track.
  system->dialogs.OnShow("track_mixdown_dialog", [](platform::DialogLogic& logic, platform::MemoryDialogSurface& page) {
    page.Control(CTrackMixdownDialog::SourceId(0))->SetChecked(true);
    page.Control(CTrackMixdownDialog::TargetId(1))->SetChecked(true);
    logic.OnOK();
  });
  ASSERT_EQ(app->OnCommand(ID_TOOLS_MIXDOWN_TRACK), 1);
  EXPECT_EQ(StrayFiles(), Names{});
}

TEST_F(SessionFilesTest, ImportsLeaveNoDecodedFileWhetherTheyWorkOrNot) {
  REQUIRE_TOOLS("sox", "lame");
  std::string wav = WaveFile("tone.wav", 88200);
  ASSERT_EQ(app->ImportFile(wav), 1);
  EXPECT_EQ(StrayFiles(), Names{});
  std::string mp3 = root / "tone.mp3";
  ASSERT_EQ(std::system(("sox -n -r 44100 -c 2 -b 16 '" + (root / "for_mp3.wav") +
                         "' synth 1 sine 440 && lame --quiet '" + (root / "for_mp3.wav") + "' '" + mp3 + "'")
                            .c_str()),
            0);
  ASSERT_EQ(app->ImportFile(mp3), 1);
  EXPECT_EQ(StrayFiles(), Names{});
  // A WAV the decoder refuses, and an MP3 that is not one.
  WriteFileBytes(root / "broken.wav", std::string("RIFF\x10\0\0\0WAVEjunkjunk", 20));
  EXPECT_NE(app->ImportFile(root / "broken.wav"), 1);
  EXPECT_EQ(StrayFiles(), Names{});
  WriteFileBytes(root / "broken.mp3", std::string(5000, 'x'));
  EXPECT_NE(app->ImportFile(root / "broken.mp3"), 1);
  EXPECT_EQ(StrayFiles(), Names{});
  // An import past the track's end fails after decoding.
  Select(doc->m_mirror.m_nLength + 400, doc->m_mirror.m_nLength + 400);
  EXPECT_EQ(app->ImportFile(wav), 0);
  EXPECT_EQ(StrayFiles(), Names{});
}

TEST_F(SessionFilesTest, CleanExitEmptiesAndRemovesTheSessionFolderAndTheEmptyTempFolder) {
  LoadTrack(0, Pattern(8000, 1));
  Select(0, 4000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
  const std::string session = app->m_szTempFolder;
  const std::string temp = fs::path(session).parent_path().string();
  // A file an operation kept for the user goes with the session too.
  WriteFileBytes(session + "/write_mp3_file.mp3", "kept");
  // Another session runs beside this one: its folder and files are not this one's.
  const std::string other = temp + "/20200101000000";
  fs::create_directories(other);
  WriteFileBytes(other + "/track0.pcm", "other session's audio");
  app.reset();
  EXPECT_FALSE(fs::exists(session));
  EXPECT_EQ(ReadFileBytes(other + "/track0.pcm"), "other session's audio");
  // Once no session is left in it, the temp folder goes as well.
  fs::remove_all(other);
  app = std::make_unique<CMixerApp>();
  ASSERT_TRUE(app->InitInstance({"", [] { return std::make_unique<Frame>(); }}));
  ASSERT_TRUE(fs::is_directory(app->m_szTempFolder));
  app.reset();
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_TRUE(fs::is_directory(root / "audio"));
}

TEST_F(SessionFilesTest, AFileThatIsNotThereIsToldOnceAndLeavesTheRecentFiles) {
  const std::string missing = root / "gone.mix";
  const std::string kept = WaveFile("kept.wav", 8800);
  app->m_recentFiles.Add(kept);
  app->m_recentFiles.Add(missing);
  system->messages.shown.clear();
  // Picked from the recent files.
  EXPECT_EQ(app->OnCommand(RecentFileCommand(0)), 0);
  ASSERT_EQ(system->messages.shown.size(), 1u);
  EXPECT_EQ(system->messages.shown[0].text, "Cannot open " + missing + ". The file does not exist.");
  EXPECT_EQ(system->messages.shown[0].icon, platform::MessageIcon::Information);
  EXPECT_EQ(app->m_recentFiles.Items(), Names{kept});
  // Dropped on the window, named on the command line, imported: the same, and never listed.
  for (const std::string& path : {root / "gone.wav", root / "folder/gone.mp3"}) {
    system->messages.shown.clear();
    EXPECT_EQ(app->OpenDocument(path), 0);
    EXPECT_EQ(app->ImportFile(path), 0);
    ASSERT_EQ(system->messages.shown.size(), 2u);
    EXPECT_EQ(system->messages.shown[1].text, "Cannot open " + path + ". The file does not exist.");
  }
  EXPECT_FALSE(ShowedErrorReport());
  EXPECT_EQ(app->m_recentFiles.Items(), Names{kept});
  EXPECT_EQ(app->OpenDocument(root.Path()), 0);
  EXPECT_EQ(system->messages.shown.back().text, "Cannot open " + root.Path() + ". It is a folder, not a file.");
  EXPECT_EQ(doc->m_nProjectLength, 0u);

  app.reset();
  app = std::make_unique<CMixerApp>();
  system->messages.shown.clear();
  ASSERT_TRUE(app->InitInstance({missing, [] { return std::make_unique<Frame>(); }}));
  ASSERT_EQ(system->messages.shown.size(), 1u);
  EXPECT_EQ(system->messages.shown[0].text, "Cannot open " + missing + ". The file does not exist.");
  EXPECT_EQ(app->m_recentFiles.Items(), Names{kept});
}

TEST_F(SessionFilesTest, AFileOpenedFromTheRecentFilesMovesToTheirTop) {
  const std::string first = WaveFile("first.wav", 8800);
  const std::string second = WaveFile("second.wav", 8800);
  app->m_recentFiles.Add(first);
  app->m_recentFiles.Add(second);
  ASSERT_EQ(app->OnCommand(RecentFileCommand(1)), 1);
  EXPECT_EQ(app->m_recentFiles.Items(), (Names{first, second}));
}

TEST_F(SessionFilesTest, TheTitleMarksUnsavedChangesWithAStar) {
  EXPECT_EQ(frame->title, "Untitled");
  LoadTrack(0, Pattern(8000, 1));
  Select(0, 4000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
  EXPECT_EQ(frame->title, "*Untitled");
  ASSERT_EQ(app->SaveProject(false, root / "song.mix"), 1);
  EXPECT_EQ(frame->title, "song.mix");
  app->m_boardTracks.MoveSlider(0, true, 5);  // a mixing-board change is a change of the project
  EXPECT_EQ(frame->title, "*song.mix");
  // The question names the project without the mark.
  system->messages.Answer(platform::MessageResult::Cancel);
  EXPECT_EQ(app->OnCommand(ID_FILE_NEW), 0);
  EXPECT_EQ(system->messages.shown.back().text, "Save changes to song.mix?");
  system->messages.Answer(platform::MessageResult::No);
  ASSERT_EQ(app->OnCommand(ID_FILE_NEW), 1);
  EXPECT_EQ(frame->title, "Untitled");
  // A failed operation changes nothing, and so marks nothing.
  EXPECT_EQ(app->ImportFile(root / "gone.wav"), 0);
  EXPECT_EQ(frame->title, "Untitled");
}

}  // namespace
