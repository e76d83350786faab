#include <filesystem>

#include "core/command_ids.h"
#include "tests/support/document_fixture.h"

namespace {

TEST_F(DocumentTest, CutMovesTheSectionToTheClipboardAndCollapsesTheHighlight) {
  std::string audio = Pattern(176400, 1);
  LoadTrack(0, audio);
  Select(44100, 88200);
  ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio.substr(0, 44100) + audio.substr(88200)));
  EXPECT_EQ(doc->m_mirror.m_nLength, 132300u);
  EXPECT_TRUE(SameAudio(ClipboardBytes(), audio.substr(44100, 44100)));
  EXPECT_EQ(app->m_clipboard.nSize, 44100u);
  EXPECT_EQ(doc->m_mirror.m_nHighlightBegin, 44100u);
  EXPECT_EQ(doc->m_mirror.m_nHighlightEnd, 44100u);
  EXPECT_EQ(doc->m_nUndoCount, 1);
  EXPECT_EQ(doc->m_undo[0].nKind, kKindRemoval);
  EXPECT_TRUE(SameAudio(ReadFileBytes(doc->m_undo[0].file.szPath), audio.substr(44100, 44100)));
  EXPECT_TRUE(doc->IsModified());
  EXPECT_FALSE(app->m_operationDialog.IsOpen());
  EXPECT_TRUE(frame->enabled);
}

TEST_F(DocumentTest, PasteOverPastTheEndLengthensTheTrackAndKeepsWhatItOverwrote) {
  std::string audio = Pattern(176400, 1);
  std::string pasted = Pattern(10000, 2);
  LoadTrack(1, pasted);
  doc->OnViewChange(1, true);
  Select(0, 10000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_COPY), 1);
  doc->OnViewChange(0, true);
  LoadTrack(0, audio);
  Select(170000, 170000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_PASTE_OVER), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio.substr(0, 170000) + pasted));
  EXPECT_EQ(doc->m_mirror.m_nLength, 180000u);
  const UndoRecord& record = doc->m_undo[static_cast<size_t>((doc->m_nUndoPos + 3) % 4)];
  EXPECT_EQ(record.nKind, kKindReplacement);
  EXPECT_EQ(record.nPastEOF, 0);
  EXPECT_TRUE(SameAudio(ReadFileBytes(record.file.szPath), audio.substr(170000)));  // the 6 400 bytes overwritten

  // Inside the track the tail stays.
  Select(1000, 1000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_PASTE_OVER), 1);
  std::string expected = audio.substr(0, 1000) + pasted + audio.substr(11000, 159000) + pasted;
  EXPECT_TRUE(SameAudio(TrackBytes(0), expected));
}

TEST_F(DocumentTest, PasteInsertTwiceInsertsTheClipboardTwice) {
  std::string audio = Pattern(40000, 3);
  LoadTrack(0, audio);
  Select(400, 800);
  ASSERT_EQ(app->OnCommand(ID_EDIT_COPY), 1);
  Select(4000, 4000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_PASTE_INSERT), 1);
  ASSERT_EQ(app->OnCommand(ID_EDIT_PASTE_INSERT), 1);
  std::string section = audio.substr(400, 400);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio.substr(0, 4000) + section + section + audio.substr(4000)));
  EXPECT_EQ(doc->m_nUndoCount, 2);  // a copy is not a change
}

TEST_F(DocumentTest, ClearAndDeleteBetweenMarkers) {
  std::string audio = Pattern(30000, 4);
  LoadTrack(0, audio);
  doc->m_mirror.m_nMarkerBegin = 8000;
  doc->m_mirror.m_nMarkerEnd = 12000;
  ASSERT_EQ(app->OnCommand(ID_EDIT_DELETE_MARKERS), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio.substr(0, 8000) + audio.substr(12000)));
  EXPECT_EQ(doc->m_mirror.m_nMarkerBegin, kMarkerNotSet);
  EXPECT_EQ(app->m_clipboard.nSize, 0u);  // delete leaves the clipboard alone

  ASSERT_EQ(app->OnCommand(ID_EDIT_CLEAR_TRACK), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), ""));
  EXPECT_TRUE(std::filesystem::exists(doc->Track(0).m_PCM.szPath));
  EXPECT_EQ(doc->Track(0).bHasAudio, 0);
  EXPECT_EQ(doc->m_nProjectLength, 0u);
  EXPECT_EQ(doc->m_mirror.m_nViewEnd, 0u);
}

TEST_F(DocumentTest, InsertSilenceAtTheTrackerOrTheBeginMarker) {
  std::string audio = Pattern(20000, 5);
  LoadTrack(0, audio);
  Select(4000, 4000);
  system->dialogs.OnShow("silence_dialog", [](platform::DialogLogic& logic, platform::MemoryDialogSurface& page) {
    EXPECT_FALSE(page.Control("IDC_USE_MARKER")->IsEnabled());  // no begin marker yet
    page.Control("IDC_SILENCE_LENGTH")->SetText("0:00.010");    // 1764 bytes
    logic.OnOK();
  });
  ASSERT_EQ(app->OnCommand(ID_TOOLS_INSERT_SILENCE), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio.substr(0, 4000) + std::string(1764, '\0') + audio.substr(4000)));
  EXPECT_EQ(app->m_silenceDialog.m_nLength, 1764u);

  doc->m_mirror.m_nMarkerBegin = 400;
  system->dialogs.OnShow("silence_dialog", [](platform::DialogLogic& logic, platform::MemoryDialogSurface& page) {
    EXPECT_EQ(page.Control("IDC_SILENCE_LENGTH")->GetText(), "00:00.010");  // remembered
    page.Control("IDC_USE_TRACKER")->SetChecked(false);
    page.Control("IDC_USE_MARKER")->SetChecked(true);
    logic.OnOK();
  });
  ASSERT_EQ(app->OnCommand(ID_TOOLS_INSERT_SILENCE), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0).substr(0, 400 + 1764 + 4),
                        audio.substr(0, 400) + std::string(1764, '\0') + audio.substr(400, 4)));
  EXPECT_EQ(doc->m_mirror.m_nLength, 20000u + 2 * 1764u);

  system->dialogs.OnShow("silence_dialog", nullptr);  // closed with Cancel
  EXPECT_EQ(app->OnCommand(ID_TOOLS_INSERT_SILENCE), platform::IDCANCEL);
  EXPECT_EQ(doc->m_nUndoCount, 2);
}

struct FaultTest : DocumentTest {
  std::string audio = Pattern(50000, 6);
  std::string clipboard;
  void SetUp() override {
    DocumentTest::SetUp();
    LoadTrack(0, audio);
    Select(1000, 2000);
    ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
    audio = TrackBytes(0);
    clipboard = ClipboardBytes();
    Showed("");
  }
  // The track, the clipboard and the undo ring are as the last successful edit left them.
  void ExpectNothingChanged() {
    EXPECT_TRUE(SameAudio(TrackBytes(0), audio));
    EXPECT_EQ(doc->m_mirror.m_nLength, audio.size());
    EXPECT_EQ(doc->Track(0).m_pos.m_nLength, audio.size());
    EXPECT_TRUE(SameAudio(ClipboardBytes(), clipboard));
    EXPECT_EQ(doc->m_nUndoCount, 1);
    EXPECT_FALSE(app->m_operationDialog.IsOpen());
  }
};

TEST_F(FaultTest, RangesOutsideTheTrackAreRefused) {
  Select(2000, 1000);  // begin past end
  EXPECT_EQ(app->OnCommand(ID_EDIT_CUT), 0);
  EXPECT_TRUE(Showed("does not lie within the track"));
  Select(48000, 60000);
  EXPECT_EQ(app->OnCommand(ID_EDIT_DELETE), 0);
  EXPECT_TRUE(Showed("does not lie within the track"));
  Select(60000, 60000);
  EXPECT_EQ(app->OnCommand(ID_EDIT_PASTE_INSERT), 0);
  EXPECT_TRUE(Showed("lies beyond the track"));
  doc->m_mirror.m_nMarkerBegin = 100;
  doc->m_mirror.m_nMarkerEnd = 90000;
  EXPECT_EQ(app->OnCommand(ID_EDIT_CUT_MARKERS), 0);
  EXPECT_TRUE(Showed("does not lie within the track"));
  ExpectNothingChanged();
}

TEST_F(FaultTest, ATrackFileThatShrankOrVanishedLeavesEverythingAsItWas) {
  std::filesystem::resize_file(doc->Track(0).m_PCM.szPath, 10000);
  Select(20000, 30000);
  EXPECT_EQ(app->OnCommand(ID_EDIT_CUT), 0);
  EXPECT_TRUE(Showed("PCMFileWrite"));
  WriteFileBytes(doc->Track(0).m_PCM.szPath, audio);
  ExpectNothingChanged();

  std::filesystem::rename(doc->Track(0).m_PCM.szPath, root / "aside.pcm");
  EXPECT_EQ(app->OnCommand(ID_EDIT_CUT), 0);
  EXPECT_TRUE(Showed(""));
  std::filesystem::rename(root / "aside.pcm", doc->Track(0).m_PCM.szPath);
  ExpectNothingChanged();
}

TEST_F(FaultTest, AFullDiskOrAnUnwritableScratchFileLeavesEverythingAsItWas) {
  // The scratch file's name is put back at once: the clean-up at exit deletes it.
  const std::string scratch = app->m_tempA.szPath;
  app->m_tempA.szPath = "/dev/full";
  Select(20000, 30000);
  int result = app->OnCommand(ID_EDIT_CUT);
  app->m_tempA.szPath = scratch;
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(Showed("PCMFileWrite"));
  ExpectNothingChanged();

  app->m_tempA.szPath = root / "no-such-folder/temp_a.pcm";
  result = app->OnCommand(ID_EDIT_PASTE_OVER);
  app->m_tempA.szPath = scratch;
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(Showed(""));
  ExpectNothingChanged();
}

}  // namespace
