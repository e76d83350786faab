#include <gtest/gtest.h>

#include <algorithm>

#include "effects/level_effects.h"
#include "tests/effects/effect_fixture.h"

namespace {

using namespace effects;
using namespace effects_test;

constexpr uint32_t kBytes(size_t frames) {
  return static_cast<uint32_t>(frames * 4);
}

TEST(LevelEffectsTest, VolumeScalesTruncatesTowardZeroAndClipsShortOfFullScale) {
  FrameFile file({{20000, -20000}, {-3, 3}, {7, 32767}});
  CountingProgress progress;
  EXPECT_EQ(AdjustVolume(file.Paged(), 0, kBytes(3), {200, 50}, progress), EffectResult::Done);
  EXPECT_EQ(file.Frames(), (std::vector<Frame>{{32700, -10000}, {-6, 1}, {14, 16383}}));

  FrameFile half({{-3, -3}});
  EXPECT_EQ(AdjustVolume(half.Paged(), 0, kBytes(1), {50, 50}, progress), EffectResult::Done);
  EXPECT_EQ(half.Frames(), (std::vector<Frame>{{-1, -1}}));
}

TEST(LevelEffectsTest, NothingToDoLeavesTheFileAsItWas) {
  const auto frames = Ramp(10, 100, 50);
  FrameFile file(frames);
  CountingProgress progress;
  EXPECT_EQ(AdjustVolume(file.Paged(), 0, kBytes(10), {100, 100}, progress), EffectResult::NothingToDo);
  EXPECT_EQ(AdjustVolume(file.Paged(), 8, 8, {50, 50}, progress), EffectResult::NothingToDo);
  EXPECT_EQ(Fade(file.Paged(), 0, kBytes(10), {100, 100}, {100, 100}, progress), EffectResult::NothingToDo);
  EXPECT_EQ(Mute(file.Paged(), 0, kBytes(10), {false, false}, progress), EffectResult::NothingToDo);
  EXPECT_EQ(Reverse(file.Paged(), 0, kBytes(10), {false, false}, progress), EffectResult::NothingToDo);
  EXPECT_EQ(file.Frames(), frames);
  // One channel a percent off is work to do.
  EXPECT_EQ(AdjustVolume(file.Paged(), 0, kBytes(10), {100, 99}, progress), EffectResult::Done);
  EXPECT_EQ(file.Frames()[9], (Frame{550, -544}));
  // Swap and Copy Channel have no case of nothing to do.
  EXPECT_EQ(SwapChannels(file.Paged(), 4, 4, progress), EffectResult::Done);
}

TEST(LevelEffectsTest, FadeRunsInWholePercentsAndPansWithDifferentLines) {
  std::vector<Frame> frames(1000, Frame{10000, 10000});
  FrameFile file(frames);
  CountingProgress progress;
  ASSERT_EQ(Fade(file.Paged(), 0, kBytes(1000), {100, 0}, {0, 100}, progress), EffectResult::Done);
  const auto faded = file.Frames();
  EXPECT_EQ(faded[0], (Frame{10000, 0}));
  EXPECT_EQ(faded[500], (Frame{5000, 5000}));
  EXPECT_EQ(faded[989], (Frame{100, 9800}));
  // The last percent of the range falls below 1 %: silent on the fading side.
  for (size_t i = 991; i < 1000; ++i) EXPECT_EQ(faded[i].first, 0) << i;
  EXPECT_TRUE(std::is_sorted(faded.begin(), faded.end(), [](const Frame& a, const Frame& b) { return a.first > b.first; }));
}

TEST(LevelEffectsTest, MuteSwapAndCopyChannelTouchOnlyTheirChannelsInsideTheRange) {
  const auto frames = Ramp(6, 1000, 1000);
  {
    FrameFile file(frames);
    CountingProgress progress;
    ASSERT_EQ(Mute(file.Paged(), kBytes(1), kBytes(5), {false, true}, progress), EffectResult::Done);
    const auto muted = file.Frames();
    EXPECT_EQ(muted[0], frames[0]);
    EXPECT_EQ(muted[1], (Frame{2000, 0}));
    EXPECT_EQ(muted[4], (Frame{5000, 0}));
    EXPECT_EQ(muted[5], frames[5]);
  }
  {
    FrameFile file(frames);
    CountingProgress progress;
    progress.position = 40;
    ASSERT_EQ(SwapChannels(file.Paged(), 0, kBytes(6), progress), EffectResult::Done);
    EXPECT_EQ(file.Frames()[2], (Frame{-3000, 3000}));
    EXPECT_EQ(progress.position, 40u);  // entry position plus under 100 bytes' worth
  }
  {
    FrameFile file(frames);
    CountingProgress progress;
    ASSERT_EQ(CopyChannel(file.Paged(), 0, kBytes(6), false, progress), EffectResult::Done);
    for (const auto& [left, right] : file.Frames()) EXPECT_EQ(left, right);
    ASSERT_EQ(CopyChannel(file.Paged(), 0, kBytes(6), true, progress), EffectResult::Done);
    EXPECT_EQ(file.Frames()[3], (Frame{4000, 4000}));
  }
}

TEST(LevelEffectsTest, ReverseKeepsTheMiddleFrameAndOnlyTheCheckedChannels) {
  {
    FrameFile file({{1, -1}, {2, -2}, {3, -3}, {4, -4}, {5, -5}});
    CountingProgress progress;
    ASSERT_EQ(Reverse(file.Paged(), 0, kBytes(5), {true, true}, progress), EffectResult::Done);
    EXPECT_EQ(file.Frames(), (std::vector<Frame>{{5, -5}, {4, -4}, {3, -3}, {2, -2}, {1, -1}}));
  }
  {
    FrameFile file({{1, 10}, {2, 20}, {3, 30}});
    CountingProgress progress;
    ASSERT_EQ(Reverse(file.Paged(), 0, kBytes(3), {true, false}, progress), EffectResult::Done);
    EXPECT_EQ(file.Frames(), (std::vector<Frame>{{3, 10}, {2, 20}, {1, 30}}));
  }
}

TEST(LevelEffectsTest, ReverseOfManyChunksMirrorsTheRangeExactly) {
  // Ranges of chunk pairs and a rest, odd and even, away from the file's start.
  for (size_t frames : {4096u, 5000u, 12289u}) {
    const auto original = Ramp(frames + 20, -9000, 1);
    FrameFile file(original);
    CountingProgress progress;
    ASSERT_EQ(Reverse(file.Paged(), kBytes(10), kBytes(10 + frames), {true, true}, progress), EffectResult::Done);
    auto expected = original;
    std::reverse(expected.begin() + 10, expected.begin() + 10 + static_cast<long>(frames));
    EXPECT_EQ(file.Frames(), expected) << frames;
  }
}

TEST(LevelEffectsTest, CancelKeepsTheChunkInHandAndStops) {
  std::vector<Frame> frames(10000, Frame{1000, 1000});
  FrameFile file(frames);
  CountingProgress progress;
  progress.cancelAfter = 1;
  ASSERT_EQ(AdjustVolume(file.Paged(), 0, kBytes(10000), {50, 50}, progress), EffectResult::Cancelled);
  const auto result = file.Frames();
  EXPECT_EQ(result[2047], (Frame{500, 500}));
  EXPECT_EQ(result[2048], (Frame{1000, 1000}));
  EXPECT_EQ(progress.stepped, 81u);  // 8192 / 100
}

TEST(LevelEffectsTest, AFileThatCannotTakeTheResultFails) {
  std::FILE* full = std::fopen("/dev/full", "r+");
  ASSERT_NE(full, nullptr);
  PagedFile paged(full, 4096, 2);
  CountingProgress progress;
  EXPECT_EQ(AdjustVolume(paged, 0, 100000, {50, 50}, progress), EffectResult::Failed);
  std::fclose(full);
}

}  // namespace
