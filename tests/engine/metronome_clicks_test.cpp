#include <gtest/gtest.h>

#include <vector>

#include "engine/metronome_clicks.h"

namespace {

// Clicks that say which voice sounded: every value of a voice's click is its own number
// (the stick 100, the bass 200, the snare 300, the hi-hat 400).
struct MetronomeTest : ::testing::Test {
  MetronomeClicks clicks;
  std::vector<int16_t> buffer = std::vector<int16_t>(MetronomeClicks::kBufferBytes / 2);

  void SetUp() override {
    for (int voice = 0; voice < MetronomeClicks::kVoiceCount; ++voice) {
      MetronomeClicks::Click click;
      click.fill(static_cast<int16_t>(100 * (voice + 1)));
      clicks.SetClick(static_cast<MetronomeClicks::Voice>(voice), click);
    }
  }
  void Play(uint32_t position) {
    std::fill(buffer.begin(), buffer.end(), 0);
    clicks.Mix(buffer.data(), position, 1.0f);
  }
  int16_t At(uint32_t byte) const { return buffer[byte / 2]; }
};

TEST_F(MetronomeTest, BeatLengthsFollowTheTempo) {
  EXPECT_EQ(MetronomeClicks::BeatBytes(120), 88200u);
  EXPECT_EQ(MetronomeClicks::BeatBytes(260), 40704u);
  EXPECT_EQ(MetronomeClicks::BeatBytes(20), 529200u);
  EXPECT_EQ(MetronomeClicks::BeatBytes(0), 105840u);
}

TEST_F(MetronomeTest, FourBeatsAccentTheBassOnTheFirstAndTheHiHatSoundsOnEveryHalfBeat) {
  clicks.Apply({true, 120, 1, true, false});
  Play(0);
  EXPECT_EQ(At(0), 2 * 200 + 400);  // the accented bass drum and the hi-hat
  EXPECT_EQ(At(8190), 2 * 200 + 400);
  EXPECT_EQ(At(8192), 0);
  EXPECT_EQ(At(44100), 400);
  Play(88200);
  EXPECT_EQ(At(0), 300 + 400);  // beat 1: the snare, not accented
  Play(176400);
  EXPECT_EQ(At(0), 200 + 400);  // beat 2: the bass drum
  Play(264600);
  Play(352800);
  EXPECT_EQ(At(0), 2 * 200 + 400);  // beat 4 starts the next measure
}

TEST_F(MetronomeTest, ThreeBeatsAccentEveryThirdAndNoMeasureAccentsNothing) {
  clicks.Apply({true, 120, 2, true, false});
  std::vector<int> first;
  for (uint32_t beat = 0; beat < 7; ++beat) {
    Play(beat * 88200);
    first.push_back(At(0) - 400);
  }
  EXPECT_EQ(first, (std::vector<int>{400, 300, 300, 400, 300, 300, 400}));
  clicks.Apply({true, 120, 0, true, true});
  for (uint32_t beat = 0; beat < 4; ++beat) {
    Play(beat * 88200);
    EXPECT_EQ(At(0), 100) << beat;
  }
}

TEST_F(MetronomeTest, AClickCutByTheBufferEndGoesOnInTheNextBuffer) {
  clicks.Apply({true, 120, 1, false, true});
  // The beat at 176400 falls 4000 bytes before the buffer's end: its first 4000 bytes
  // play here.
  Play(176400 - 88200 + 4000);
  EXPECT_EQ(At(0), 0);
  EXPECT_EQ(At(88200 - 4000), 100);
  EXPECT_EQ(At(88198), 100);
  Play(176400 + 4000);
  EXPECT_EQ(At(0), 100);
  EXPECT_EQ(At(4190), 100);  // its last 4192 bytes
  EXPECT_EQ(At(4192), 0);
}

TEST_F(MetronomeTest, EachTakeCountsItsBeatsFromItsOwnPosition) {
  clicks.Apply({true, 120, 1, true, true});
  Play(0);
  Play(88200);
  EXPECT_EQ(At(0), 100);
  // A new take at beat 4: the accent falls on the measure, not on the take's third click.
  clicks.StartTake();
  Play(4 * 88200);
  EXPECT_EQ(At(0), 200);
}

TEST_F(MetronomeTest, OffOrAMissingClickKeepsTheBuffersSilent) {
  clicks.Apply({false, 120, 1, true, true});
  Play(0);
  EXPECT_EQ(At(0), 0);
  clicks.SetClickMissing(MetronomeClicks::kSnare);
  clicks.Apply({true, 120, 1, true, true});
  EXPECT_FALSE(clicks.Current().on);
  Play(0);
  EXPECT_EQ(At(0), 0);
}

TEST_F(MetronomeTest, ClicksAreAddedAtTheLevelAndHeldInsideTheLimits) {
  clicks.Apply({true, 120, 1, true, true});
  std::fill(buffer.begin(), buffer.end(), 32600);
  clicks.Mix(buffer.data(), 0, 0.5f);
  EXPECT_EQ(At(0), 32700);  // 32600 + 100 x 0.5 x 2, held at the limit
  clicks.Apply({true, 120, 1, true, true});
  std::fill(buffer.begin(), buffer.end(), -7);
  clicks.Mix(buffer.data(), 0, 0.25f);
  EXPECT_EQ(At(0), 43);
}

}  // namespace
