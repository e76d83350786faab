#include "core/command_ids.h"
#include "tests/support/document_fixture.h"

namespace {

TEST_F(DocumentTest, RemovalMovesLaterMarkersAndClearsTheOnesInside) {
  LoadTrack(0, Pattern(40000, 1));
  Select(10000, 14000);
  doc->m_mirror.m_nMarkerBegin = 20000;
  doc->m_mirror.m_nMarkerEnd = 30000;
  ASSERT_EQ(app->OnCommand(ID_EDIT_DELETE), 1);
  EXPECT_EQ(doc->m_mirror.m_nMarkerBegin, 16000);
  EXPECT_EQ(doc->m_mirror.m_nMarkerEnd, 26000);
  EXPECT_EQ(doc->m_mirror.m_nHighlightBegin, 10000u);
  EXPECT_EQ(doc->m_mirror.m_nHighlightEnd, 10000u);

  Select(10000, 14000);
  doc->m_mirror.m_nMarkerBegin = 12000;
  doc->m_mirror.m_nMarkerEnd = 30000;
  ASSERT_EQ(app->OnCommand(ID_EDIT_DELETE), 1);
  // The begin marker lay inside: it goes, and the end marker takes its place.
  EXPECT_EQ(doc->m_mirror.m_nMarkerBegin, 26000);
  EXPECT_EQ(doc->m_mirror.m_nMarkerEnd, kMarkerNotSet);
}

TEST_F(DocumentTest, InsertionMovesOnlyMarkersAtOrAfterIt) {
  LoadTrack(0, Pattern(20000, 1));
  doc->m_mirror.m_nMarkerBegin = 4000;
  doc->m_mirror.m_nMarkerEnd = 9000;
  Select(5000, 5000);
  app->m_silenceDialog.m_nLength = 8000;
  app->m_silenceDialog.m_nUnit = 2;
  system->dialogs.OnShow("silence_dialog",
                         [](platform::DialogLogic& logic, platform::MemoryDialogSurface&) { logic.OnOK(); });
  ASSERT_EQ(app->OnCommand(ID_TOOLS_INSERT_SILENCE), 1);
  EXPECT_EQ(doc->m_mirror.m_nMarkerBegin, 4000);
  EXPECT_EQ(doc->m_mirror.m_nMarkerEnd, 17000);
  EXPECT_EQ(doc->m_mirror.m_nHighlightBegin, 5000u);  // the highlight stays
}

TEST_F(DocumentTest, CuttingEverythingLeavesAnEmptyTrackWithAFile) {
  LoadTrack(0, Pattern(8192 * 3 + 400, 1));
  doc->m_mirror.m_nMarkerBegin = 100;
  Select(0, 8192 * 3 + 400);
  ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
  const TrackPositions& pos = doc->m_mirror;
  EXPECT_EQ(doc->Track(0).bHasAudio, 0);
  EXPECT_EQ(pos.m_nLength, 0u);
  EXPECT_EQ(pos.m_nHighlightEnd, 0u);
  EXPECT_EQ(pos.m_nViewEnd, 0u);
  EXPECT_EQ(pos.m_nMarkerBegin, kMarkerNotSet);
  EXPECT_TRUE(SameAudio(TrackBytes(0), ""));
  EXPECT_TRUE(SameAudio(ReadFileBytes(doc->Track(0).m_szPeakPath), ""));
}

TEST_F(DocumentTest, FinalizingRendersThePeakFileAndTheProjectLength) {
  LoadTrack(2, Pattern(1280, 1));
  LoadTrack(5, Pattern(64000, 1));
  EXPECT_EQ(ReadFileBytes(doc->Track(2).m_szPeakPath).size(), 18u);
  EXPECT_EQ(doc->Track(2).m_pos.m_nRenderedLength, 20u);
  EXPECT_EQ(doc->Track(5).m_pos.m_nViewEnd, 64000u);
  EXPECT_EQ(doc->Track(5).m_pos.m_nScaledViewEnd, 1000u);
  EXPECT_EQ(doc->m_nProjectLength, 64000u);
}

// A track that grows or shrinks keeps a view a person can work with: one that showed
// the whole track shows the whole track again, a zoomed one keeps its zoom, never
// reaches past the end, and the end can always be scrolled to.
TEST_F(DocumentTest, AViewOfTheWholeTrackStaysWholeAsTheTrackGrowsAndShrinks) {
  LoadTrack(0, Pattern(40000, 1));
  const TrackPositions& pos = doc->m_mirror;
  ASSERT_EQ(pos.m_nViewEnd, 40000u);
  Select(0, 8000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_COPY), 1);
  ASSERT_EQ(app->OnCommand(ID_EDIT_PASTE_INSERT), 1);
  ASSERT_EQ(pos.m_nLength, 48000u);
  EXPECT_EQ(pos.m_nViewStart, 0u);
  EXPECT_EQ(pos.m_nViewEnd, 48000u);
  EXPECT_EQ(pos.m_nViewWidth, 48000u);
  EXPECT_EQ(pos.m_nScaledViewStart, 0u);
  EXPECT_EQ(pos.m_nScaledViewEnd, pos.m_nRenderedLength);
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_EQ(pos.m_nLength, 40000u);
  EXPECT_EQ(pos.m_nViewEnd, 40000u);
  ASSERT_EQ(app->OnCommand(ID_EDIT_REDO), 1);
  EXPECT_EQ(pos.m_nViewEnd, 48000u);
  Select(0, 30000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_DELETE), 1);
  EXPECT_EQ(pos.m_nViewStart, 0u);
  EXPECT_EQ(pos.m_nViewEnd, 18000u);
  EXPECT_EQ(pos.m_nScaledViewEnd, pos.m_nRenderedLength);
}

TEST_F(DocumentTest, AZoomedViewKeepsItsZoomAndEndsWithinTheTrack) {
  LoadTrack(0, Pattern(40000, 1));
  TrackPositions& pos = doc->m_mirror;
  // Zoomed in to the last 8,000 bytes.
  pos.m_nViewStart = 32000;
  pos.m_nViewEnd = 40000;
  pos.m_nViewWidth = 8000;
  Select(4000, 20000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
  ASSERT_EQ(pos.m_nLength, 24000u);
  EXPECT_EQ(pos.m_nViewStart, 16000u);  // moved back to end with the track
  EXPECT_EQ(pos.m_nViewEnd, 24000u);
  EXPECT_EQ(pos.m_nViewWidth, 8000u);
  EXPECT_EQ(pos.m_nScaledViewStart, (16000u * pos.m_nRenderedLength / 24000u) & ~3u);
  EXPECT_EQ(pos.m_nScaledViewEnd, pos.m_nRenderedLength);

  // The cut undone, the track is longer again: the view stays where it is.
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  ASSERT_EQ(pos.m_nLength, 40000u);
  EXPECT_EQ(pos.m_nViewStart, 16000u);
  EXPECT_EQ(pos.m_nViewEnd, 24000u);
  // So does a paste after the view.
  Select(30000, 30000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_PASTE_INSERT), 1);
  ASSERT_EQ(pos.m_nLength, 56000u);
  EXPECT_EQ(pos.m_nViewStart, 16000u);
  EXPECT_EQ(pos.m_nViewWidth, 8000u);
  // A cut that leaves less than the view's width shows the whole track.
  Select(0, 50000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
  EXPECT_EQ(pos.m_nViewStart, 0u);
  EXPECT_EQ(pos.m_nViewEnd, 6000u);
}

TEST_F(DocumentTest, TrackChangesKeepTheMirrorOfEachTrack) {
  LoadTrack(0, Pattern(4000, 1));
  Select(400, 800);
  EXPECT_EQ(doc->OnViewChange(0, true), 2);
  EXPECT_EQ(app->OnCommand(TrackSelectCommand(3)), 1);
  EXPECT_EQ(doc->m_nCurrentTrack, 3);
  EXPECT_EQ(doc->m_mirror.m_nLength, 0u);
  EXPECT_EQ(app->OnCommand(TrackSelectCommand(0)), 1);
  EXPECT_EQ(doc->m_mirror.m_nHighlightBegin, 400u);
  EXPECT_EQ(doc->m_mirror.m_nHighlightEnd, 800u);
  EXPECT_EQ(doc->OnViewChange(8, true), 0);
  EXPECT_TRUE(Showed("Cannot perform operation, current track is 8."));
}

TEST_F(DocumentTest, NewEmptiesTheTracksButKeepsTheClipboard) {
  std::string audio = Pattern(12000, 7);
  LoadTrack(0, audio);
  LoadTrack(4, audio);
  Select(4000, 8000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
  system->messages.Answer(platform::MessageResult::Cancel);  // "Save changes?": keep working
  EXPECT_EQ(app->OnCommand(ID_FILE_NEW), 0);
  EXPECT_EQ(doc->m_nProjectLength, 12000u);
  system->messages.Answer(platform::MessageResult::No);
  ASSERT_EQ(app->OnCommand(ID_FILE_NEW), 1);
  EXPECT_EQ(doc->m_nProjectLength, 0u);
  EXPECT_EQ(doc->m_nUndoCount, 0);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(SameAudio(TrackBytes(4), ""));
  EXPECT_EQ(doc->Track(4).m_nTrackNumber, 4);
  ASSERT_EQ(app->OnCommand(ID_EDIT_PASTE_INSERT), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio.substr(4000, 4000)));
}

TEST_F(DocumentTest, SessionFilesAreRemovedAtExit) {
  LoadTrack(0, Pattern(4000, 1));
  std::string session = app->m_szTempFolder;
  ASSERT_TRUE(std::filesystem::exists(session + "/clipboard.pcm"));
  ASSERT_TRUE(std::filesystem::exists(session + "/undo3.pcm"));
  app.reset();
  EXPECT_FALSE(std::filesystem::exists(session));
}

}  // namespace
