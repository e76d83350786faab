// Damaged project files, made by flipping, cutting and overwriting the bytes of a
// good one, must open cleanly or be refused with a message: never a crash, and
// never positions outside the tracks.

#include <random>

#include "document/project_record.h"
#include "tests/support/document_fixture.h"

namespace {

void ExpectPositionsInside(CMixerDoc& doc) {
  for (int n = 0; n < kTrackCount; ++n) {
    const TrackPositions& pos = doc.Track(n).m_pos;
    ASSERT_LE(pos.m_nHighlightBegin, pos.m_nHighlightEnd) << n;
    ASSERT_LE(pos.m_nHighlightEnd, pos.m_nLength) << n;
    ASSERT_LE(pos.m_nViewEnd, pos.m_nLength) << n;
    if (MarkerSet(pos.m_nMarkerBegin)) {
      ASSERT_LE(MarkerValue(pos.m_nMarkerBegin), pos.m_nLength);
    }
    if (MarkerSet(pos.m_nMarkerEnd)) {
      ASSERT_LT(MarkerValue(pos.m_nMarkerBegin), MarkerValue(pos.m_nMarkerEnd)) << n;
    }
  }
  ASSERT_LE(doc.m_nCurrentPos, doc.m_nProjectLength);
}

TEST_F(DocumentTest, DamagedProjectFilesOpenCleanlyOrAreRefused) {
  LoadTrack(0, Pattern(40000, 1));
  LoadTrack(3, Pattern(12000, 2));
  doc->m_mirror.m_nMarkerBegin = 400;
  const std::string project = root / "good.mix";
  ASSERT_EQ(app->SaveProject(false, project), 1);
  const std::string good = ReadFileBytes(project);
  system->dialogs.OnShow("import_old_dialog",
                         [this](platform::DialogLogic& logic, platform::MemoryDialogSurface& page) {
                           page.Control("IDC_OLD_AUDIO_PATH")->SetText(root / "old");
                           logic.OnOK();
                         });

  std::mt19937 random(5892);
  const std::string damaged = root / "damaged.mix";
  for (int round = 0; round < 150; ++round) {
    std::string bytes = good;
    switch (round % 3) {
      case 0:  // flipped bytes anywhere
        for (int i = 0; i < 12; ++i) bytes[random() % bytes.size()] = static_cast<char>(random());
        break;
      case 1:  // cut off
        bytes.resize(random() % bytes.size());
        break;
      case 2:  // a field overwritten with extreme values
        for (size_t at = 1296 + 572 * (random() % 8) + 516 + 4 * (random() % 14), i = 0; i < 4; ++i) {
          bytes[at + i] = static_cast<char>(random() % 2 ? 0xFF : 0x7F);
        }
        break;
    }
    WriteFileBytes(damaged, bytes);
    int result = app->OpenDocument(damaged);
    ASSERT_TRUE(result == 0 || result == 1) << "round " << round;
    ExpectPositionsInside(*doc);
  }
  // The good file still opens after all that.
  ASSERT_EQ(app->OpenDocument(project), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(3), Pattern(12000, 2)));
}

TEST(LegacyRecord, ShortAndFullRecordsDecodeWithinTheirFields) {
  std::string bytes(LegacyRecord::kSize, 'x');
  LegacyRecord full = LegacyRecord::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  EXPECT_TRUE(full.complete);
  EXPECT_EQ(full.folderName.size(), 14u);
  EXPECT_EQ(full.description.size(), 256u);
  EXPECT_EQ(full.names[7].size(), 128u);
  LegacyRecord cut = LegacyRecord::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), 30);
  EXPECT_FALSE(cut.complete);
  EXPECT_EQ(cut.description, "xx");
  EXPECT_EQ(cut.metronomeTempo, 0);
}

}  // namespace
