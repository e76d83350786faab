// The command line's play: through the same engine and device, serviced from its own
// loop, until playback ends or a stop is asked for.

#include <sstream>

#include "core/command_ids.h"
#include "cli/play_command.h"
#include "tests/support/playback_fixture.h"

namespace {

class CliPlayTest : public PlaybackTest {
 protected:
  std::function<void()> Tick() {
    return [this] { Run(40); };
  }
};

TEST_F(CliPlayTest, PlaysTheHighlightedSectionAndReturnsAtItsEnd) {
  const std::string track = Pattern(3 * 176400, 3);
  LoadTrack(0, track);
  Select(8000, 100000);
  doc->m_nCurrentPos = 8000;
  doc->TrackSeekOnLeftButton(8000);
  int ticks = 0;
  EXPECT_TRUE(PlayProject(*app, [&] {
    ++ticks;
    Run(40);
  }));
  EXPECT_FALSE(app->m_bPlaying);
  EXPECT_EQ(NewlyPlayed().size(), 92000u);
  // 92000 bytes are half a second and a bit: back within a few ticks of a second.
  EXPECT_GE(ticks, 13);
  EXPECT_LE(ticks, 30);
}

TEST_F(CliPlayTest, AStopRequestEndsPlaybackCleanly) {
  LoadTrack(0, Pattern(10 * 176400, 4));
  int ticks = 0;
  EXPECT_TRUE(PlayProject(*app, Tick(), [&] { return ++ticks == 10; }));
  EXPECT_FALSE(app->m_bPlaying);
  EXPECT_EQ(player().State(), PlayerIdle);
  const size_t played = NewlyPlayed().size();
  EXPECT_GT(played, 0u);
  EXPECT_LT(played, 2u * 176400);
  Run(1000);
  EXPECT_TRUE(NewlyPlayed().empty());
}

TEST_F(CliPlayTest, NothingToPlayFailsWithTheReason) {
  EXPECT_FALSE(PlayProject(*app, Tick()));
  EXPECT_TRUE(Showed("No audio exists to play."));
}

TEST_F(CliPlayTest, DevicesAreListedWithTheirIndicesAndOneIsChosenByIndex) {
  std::ostringstream out, err;
  PrintDevices(out);
  EXPECT_EQ(out.str(), "output devices:\n  0: Test Output\ninput devices:\n  0: Test Input\n");
  EXPECT_FALSE(UseOutputDevice(*app, "1", err));
  EXPECT_NE(err.str().find("there are 1 output devices"), std::string::npos);
  EXPECT_FALSE(UseOutputDevice(*app, "x", err));
  EXPECT_TRUE(UseOutputDevice(*app, "0", err));
  EXPECT_TRUE(app->m_player.IsOpen());
}

}  // namespace
