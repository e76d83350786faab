// The command line's record and monitor, on the virtual devices: the take stored as
// the Record dialog stores it, the refusals, and the levels printed per tick.

#include <sstream>

#include "cli/record_command.h"
#include "core/command_ids.h"
#include "tests/support/playback_fixture.h"

namespace {

constexpr uint32_t kSecond = 176400;

class CliRecordTest : public PlaybackTest {
 protected:
  void SetUp() override {
    PlaybackTest::SetUp();
    // A full-scale square wave: the loudest input there is.
    system->wave.Inputs().front()->SetSource([n = uint32_t{0}](char* out, uint32_t bytes) mutable {
      for (uint32_t at = 0; at + 4 <= bytes; at += 4, ++n) {
        const uint16_t value = (n / 50) % 2 ? 0x8000 : 0x7FFF;
        for (int c = 0; c < 2; ++c) {
          out[at + 2 * c] = static_cast<char>(value & 0xFF);
          out[at + 2 * c + 1] = static_cast<char>(value >> 8);
        }
      }
    });
  }
  std::function<void()> Tick() {
    return [this] { Run(40); };
  }
  std::ostringstream out, err;
};

TEST_F(CliRecordTest, ATakeIsStoredAsTheDialogStoresItAndUndoTakesItBack) {
  LoadTrack(0, Tone(4 * kSecond, 3));
  EXPECT_EQ(RecordTake(*app, {1500}, err, Tick()), 0);
  EXPECT_NE(err.str().find("no track is armed"), std::string::npos) << err.str();

  app->m_boardTracks.HandleArm(1);
  EXPECT_EQ(RecordTake(*app, {1500, true}, err, Tick()), 0);
  EXPECT_NE(err.str().find("the armed track has no begin marker"), std::string::npos) << err.str();

  ASSERT_EQ(RecordTake(*app, {1500}, err, Tick()), 1) << err.str();
  EXPECT_GE(doc->Track(1).m_PCM.nSize, 3u * 88200);
  EXPECT_EQ(doc->m_nUndoCount, 1);
  EXPECT_EQ(app->m_recorder.State(), RecorderIdle);
  EXPECT_EQ(player().State(), PlayerIdle);
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  EXPECT_EQ(doc->Track(1).m_PCM.nSize, 0u);
  EXPECT_TRUE(failures.empty());
}

TEST_F(CliRecordTest, MonitorPrintsBothLevelsEveryTickAndFullScaleReads99) {
  ASSERT_TRUE(MonitorInput(*app, 400, out, err, Tick()));
  std::istringstream lines(out.str());
  int left = -1, right = -1, count = 0;
  while (lines >> left >> right) ++count;
  EXPECT_EQ(count, 10);
  EXPECT_EQ(left, 99);
  EXPECT_EQ(right, 99);
  EXPECT_EQ(app->m_recorder.State(), RecorderIdle);

  std::ostringstream none;
  EXPECT_FALSE(UseInputDevice(*app, "3", none));
  EXPECT_NE(none.str().find("there are 1 input devices"), std::string::npos) << none.str();
}

}  // namespace
