// The tools run on the current track as operations: their range, their undo, and what
// they leave alone.

#include <cstdio>

#include "core/command_ids.h"
#include "effects/repeat_effects.h"
#include "tests/support/document_fixture.h"

namespace {

class EffectOpTest : public DocumentTest {
 protected:
  // Every tool dialog is confirmed as it opens.
  void ConfirmTools() {
    system->dialogs.OnShow("tools_dialog",
                           [](platform::DialogLogic& logic, platform::MemoryDialogSurface&) { logic.OnOK(); });
  }
  effects::EffectTools& Tools() { return app->m_effectTools; }
};

struct NoProgress : effects::EffectProgress {
  void Step(uint32_t) override {}
  void SetPosition(uint32_t) override {}
  uint32_t Position() const override { return 0; }
  bool Cancelled() const override { return false; }
};

TEST_F(EffectOpTest, VolumeChangesOnlyTheHighlightAndUndoRestoresIt) {
  const std::string audio = Pattern(176400, 1);
  LoadTrack(0, audio);
  Select(40000, 80000);
  Tools().m_volume.m_nLevel1Left = Tools().m_volume.m_nLevel1Right = 50;
  ConfirmTools();
  ASSERT_EQ(app->OnCommand(ID_TOOLS_ADJUST_VOLUME), 1);
  const std::string changed = TrackBytes(0);
  ASSERT_EQ(changed.size(), audio.size());
  EXPECT_TRUE(SameAudio(changed.substr(0, 40000), audio.substr(0, 40000)));
  EXPECT_TRUE(SameAudio(changed.substr(80000), audio.substr(80000)));
  EXPECT_NE(changed.substr(40000, 40000), audio.substr(40000, 40000));
  EXPECT_EQ(doc->m_nUndoCount, 1);
  EXPECT_TRUE(doc->IsModified());

  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio));
  ASSERT_EQ(app->OnCommand(ID_EDIT_REDO), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), changed));
}

TEST_F(EffectOpTest, EchoAddsTheTrackUntouchedSoundToTheWholeTrack) {
  const std::string audio = Pattern(352800, 2);
  LoadTrack(0, audio);
  Tools().m_echo.m_nApplyTo = effects::kApplyTrack;
  ConfirmTools();
  ASSERT_EQ(app->OnCommand(ID_TOOLS_ECHO), 1);

  // The same echo on a copy of the track, with the original beside it.
  std::FILE* result = std::tmpfile();
  std::FILE* original = std::tmpfile();
  std::fwrite(audio.data(), 1, audio.size(), result);
  std::fwrite(audio.data(), 1, audio.size(), original);
  {
    effects::PagedFile resultPages(result), originalPages(original);
    NoProgress progress;
    ASSERT_EQ(effects::Echo(resultPages, originalPages, 0, 352800, Tools().m_echo.Settings(), progress),
              effects::EffectResult::Done);
    ASSERT_TRUE(resultPages.Flush());
  }
  std::string expected(audio.size(), '\0');
  std::rewind(result);
  ASSERT_EQ(std::fread(expected.data(), 1, expected.size(), result), expected.size());
  std::fclose(result);
  std::fclose(original);
  EXPECT_TRUE(SameAudio(TrackBytes(0), expected));
}

TEST_F(EffectOpTest, EmptyRangeChangesNothingExceptForTheChannelTools) {
  const std::string audio = Pattern(40000, 3);
  LoadTrack(0, audio);
  doc->SetModifiedFlag(false);
  doc->m_mirror.m_nMarkerBegin = doc->m_mirror.m_nMarkerEnd = 4000;
  Tools().m_volume.m_nApplyTo = Tools().m_swap.m_nApplyTo = effects::kApplyMarkers;
  Tools().m_volume.m_nLevel1Left = 20;
  ConfirmTools();
  EXPECT_EQ(app->OnCommand(ID_TOOLS_ADJUST_VOLUME), 2);
  EXPECT_EQ(doc->m_nUndoCount, 0);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(app->OnCommand(ID_TOOLS_SWAP_CHANNELS), 1);
  EXPECT_EQ(doc->m_nUndoCount, 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio));
}

TEST_F(EffectOpTest, EmptyTrackAndCancelledDialogRunNothing) {
  ConfirmTools();
  EXPECT_EQ(app->OnCommand(ID_TOOLS_REVERSE), 0);
  EXPECT_TRUE(Showed("No audio exists to perform operation on."));
  EXPECT_FALSE(app->IsCommandEnabled(ID_TOOLS_REVERSE));

  const std::string audio = Pattern(40000, 4);
  LoadTrack(0, audio);
  EXPECT_TRUE(app->IsCommandEnabled(ID_TOOLS_REVERSE));
  system->dialogs.OnShow("tools_dialog", nullptr);
  EXPECT_EQ(app->OnCommand(ID_TOOLS_REVERSE), platform::IDCANCEL);
  EXPECT_EQ(doc->m_nUndoCount, 0);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio));
}

}  // namespace
