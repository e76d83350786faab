#include <filesystem>

#include "core/command_ids.h"
#include "tests/support/document_fixture.h"

namespace {

TEST_F(DocumentTest, FiveCutsFiveUndosUndoTheLastFourOnly) {
  std::string audio = Pattern(100000, 1);
  LoadTrack(0, audio);
  std::vector<std::string> states{TrackBytes(0)};
  for (int i = 0; i < 5; ++i) {
    Select(4000, 8000);
    ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
    states.push_back(TrackBytes(0));
  }
  EXPECT_EQ(doc->m_nUndoCount, 4);
  for (int i = 4; i >= 1; --i) {
    ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
    EXPECT_TRUE(SameAudio(TrackBytes(0), states[static_cast<size_t>(i)])) << i;
  }
  Showed("");
  EXPECT_EQ(app->OnCommand(ID_EDIT_UNDO), 0);
  EXPECT_TRUE(Showed("Sorry, undo buffer is empty"));
  EXPECT_TRUE(SameAudio(TrackBytes(0), states[1]));  // the first cut stays
}

TEST_F(DocumentTest, CutUndoRedoUndoEndsAsBeforeWithOneRedo) {
  std::string audio = Pattern(50000, 2);
  LoadTrack(0, audio);
  Select(1000, 9000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
  std::string cut = TrackBytes(0);
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio));
  ASSERT_EQ(app->OnCommand(ID_EDIT_REDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), cut));
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio));
  EXPECT_EQ(doc->m_nRedoCount, 1);
  EXPECT_EQ(doc->m_nUndoCount, 0);
}

TEST_F(DocumentTest, UndoingALengtheningPasteOverRestoresTheOldLength) {
  std::string audio = Pattern(100000, 3);
  std::string pasted = Pattern(40000, 4);
  LoadTrack(1, pasted);
  doc->OnViewChange(1, true);
  Select(0, 40000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_COPY), 1);
  doc->OnViewChange(0, true);
  LoadTrack(0, audio);
  Select(80000, 80000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_PASTE_OVER), 1);
  EXPECT_EQ(doc->m_mirror.m_nLength, 120000u);
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio));
  ASSERT_EQ(app->OnCommand(ID_EDIT_REDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio.substr(0, 80000) + pasted));
}

TEST_F(DocumentTest, UndoRebuildsTheChangedTrackAndLeavesTheViewWhereItIs) {
  std::string three = Pattern(30000, 5);
  LoadTrack(3, three);
  doc->OnViewChange(3, true);
  Select(1000, 2000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_DELETE), 1);
  doc->OnViewChange(5, true);
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(3), three));
  EXPECT_EQ(doc->m_nCurrentTrack, 5);
  EXPECT_EQ(doc->Track(3).m_pos.m_nLength, 30000u);
  EXPECT_EQ(doc->m_nProjectLength, 30000u);
}

TEST_F(DocumentTest, AnyNewChangeAfterAnUndoEndsRedo) {
  LoadTrack(0, Pattern(20000, 6));
  Select(0, 4000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_TRUE(app->IsCommandEnabled(ID_EDIT_REDO));
  Select(100, 200);
  ASSERT_EQ(app->OnCommand(ID_EDIT_DELETE), 1);
  EXPECT_FALSE(app->IsCommandEnabled(ID_EDIT_REDO));
  Showed("");
  EXPECT_EQ(app->OnCommand(ID_EDIT_REDO), 0);
  EXPECT_TRUE(Showed("Sorry, redo buffer is empty"));
}

TEST_F(DocumentTest, AFailedUndoOrRedoLeavesBothRingsAsTheyWere) {
  std::string audio = Pattern(40000, 7);
  LoadTrack(0, audio);
  Select(8000, 16000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
  std::string cut = TrackBytes(0);
  // The rebuild cannot be written (a full disk): the undo fails.
  const std::string scratch = app->m_tempA.szPath;
  app->m_tempA.szPath = "/dev/full";
  int result = app->OnCommand(ID_EDIT_UNDO);
  app->m_tempA.szPath = scratch;
  EXPECT_EQ(result, 0);
  EXPECT_EQ(doc->m_nUndoCount, 1);
  EXPECT_EQ(doc->m_nUndoPos, 1);
  EXPECT_EQ(doc->m_nRedoCount, 0);
  EXPECT_TRUE(SameAudio(TrackBytes(0), cut));
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio));

  // A track that shrank under the document cannot be cut again.
  std::filesystem::resize_file(doc->Track(0).m_PCM.szPath, 4000);
  doc->PrepTracksForOp();
  doc->PostTracksForOp();
  EXPECT_EQ(app->OnCommand(ID_EDIT_REDO), 0);
  EXPECT_EQ(doc->m_nRedoCount, 1);
  EXPECT_EQ(doc->m_nUndoCount, 0);
}

}  // namespace
