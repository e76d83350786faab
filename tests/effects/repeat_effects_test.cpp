#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "effects/repeat_effects.h"
#include "effects/sample_math.h"
#include "tests/effects/effect_fixture.h"

namespace {

using namespace effects;
using namespace effects_test;

constexpr uint32_t kFrames(double seconds) {
  return static_cast<uint32_t>(seconds * 44100);
}

// A file of silence with impulses (left, right) at the given frames.
std::vector<Frame> Impulses(uint32_t frames, std::initializer_list<std::pair<uint32_t, Frame>> at) {
  std::vector<Frame> result(frames, Frame{0, 0});
  for (const auto& [frame, value] : at) result[frame] = value;
  return result;
}

RepeatSettings Locked(int initial, int wet, int delayMs) {
  return {{initial, wet, delayMs}, {initial, wet, delayMs}};
}

TEST(RepeatEffectsTest, CanyonEchoPutsFourTapsAtMultiplesOfTheDelayAndNothingAfterTheRange) {
  const uint32_t range = kFrames(10);
  const uint32_t d = DelayBytes(850) / 4;
  ASSERT_EQ(DelayBytes(850), 149940u);
  auto frames = Impulses(kFrames(11), {{0, {10000, -8000}}, {kFrames(9.5), {20000, 20000}}});
  FrameFile track(frames);
  FrameFile result(frames);
  CountingProgress progress;
  ASSERT_EQ(Echo(result.Paged(), track.Paged(), 0, range * 4, Locked(100, 50, 850), progress), EffectResult::Done);
  const auto out = result.Frames();
  EXPECT_EQ(out[0], (Frame{10000, -8000}));
  EXPECT_EQ(out[d], (Frame{5000, -4000}));
  EXPECT_EQ(out[2 * d], (Frame{2500, -2000}));
  EXPECT_EQ(out[3 * d], (Frame{625, -500}));
  EXPECT_EQ(out[4 * d], (Frame{39, -31}));
  EXPECT_EQ(out[5 * d], (Frame{0, 0}));
  // The impulse at 9.5 s would repeat at 10.35 s, past the range: nothing there.
  EXPECT_EQ(out[kFrames(9.5) + d], (Frame{0, 0}));
  size_t sounding = std::count_if(out.begin(), out.end(), [](const Frame& f) { return f != Frame{0, 0}; });
  EXPECT_EQ(sounding, 6u);
  const uint64_t bytes = range * 4;
  const uint64_t dd = DelayBytes(850);
  EXPECT_EQ(EchoByteCount(0, range * 4, Locked(100, 50, 850)), bytes + 2 * (4 * bytes - 10 * dd));
}

TEST(RepeatEffectsTest, UnlockedChannelsDecayEachAtItsOwnRate) {
  const uint32_t d = DelayBytes(60) / 4;
  FrameFile track(Impulses(kFrames(1), {{0, {10000, 10000}}}));
  FrameFile result(Impulses(kFrames(1), {{0, {10000, 10000}}}));
  CountingProgress progress;
  const RepeatSettings auditorium{{100, 80, 60}, {100, 20, 60}};
  ASSERT_EQ(Echo(result.Paged(), track.Paged(), 0, kFrames(1) * 4, auditorium, progress), EffectResult::Done);
  const auto out = result.Frames();
  EXPECT_EQ(out[d], (Frame{2000, 8000}));
  EXPECT_EQ(out[2 * d], (Frame{400, 6400}));
  EXPECT_EQ(out[3 * d], (Frame{16, 4096}));
}

TEST(RepeatEffectsTest, PassCountsEndWithTheGainOrTheRangeAndAlwaysEnd) {
  EXPECT_EQ(RepeatPasses(0.5f, 149940, 0, 1764000), 4u);
  EXPECT_EQ(RepeatPasses(0.0f, 4, 0, 1000000), 1u);       // wet ratio 100
  EXPECT_EQ(RepeatPasses(1.0f, 400, 0, 4000), 5u);        // the position runs 800, 2000, 3600, 5600
  EXPECT_EQ(RepeatPasses(1.0f, 0, 0, 4000), kMaxPassesWithoutDelay);
  // No delay and no loss: the effect ends after its bounded number of passes.
  FrameFile track(Impulses(100, {{3, {1000, -1000}}}));
  FrameFile result(Impulses(100, {{3, {1000, -1000}}}));
  CountingProgress progress;
  ASSERT_EQ(Echo(result.Paged(), track.Paged(), 0, 400, Locked(100, 0, 0), progress), EffectResult::Done);
  EXPECT_EQ(result.Frames()[3], (Frame{17000, -17000}));
}

TEST(RepeatEffectsTest, EmptyRangesAndSilentSettingsChangeNothingButTheDryLevel) {
  const auto frames = Impulses(1000, {{10, {32767, -32768}}, {500, {1000, 1000}}});
  FrameFile track(frames);
  FrameFile result(frames);
  CountingProgress progress;
  EXPECT_EQ(Echo(result.Paged(), track.Paged(), 40, 40, Locked(50, 50, 10), progress), EffectResult::NothingToDo);
  EXPECT_EQ(Reverb(result.Paged(), track.Paged(), 40, 40, Locked(50, 50, 10), progress), EffectResult::NothingToDo);
  EXPECT_EQ(ReverbByteCount(40, 40, Locked(50, 50, 10)), 2u);
  EXPECT_EQ(EchoByteCount(40, 40, Locked(50, 50, 10)), 0u);
  EXPECT_EQ(result.Frames(), frames);
  // Wet ratio 100 adds nothing; a full initial ratio still holds samples at the limit.
  ASSERT_EQ(Echo(result.Paged(), track.Paged(), 0, 4000, Locked(100, 100, 1), progress), EffectResult::Done);
  auto expected = frames;
  expected[10] = {32700, -32700};
  EXPECT_EQ(result.Frames(), expected);
}

// Reverb's later passes read the result as it is being written: a recursive filter.
// The model works on whole arrays, the effect in small chunks through the file.
std::vector<Frame> ReverbModel(std::vector<Frame> x, const RepeatChannel& c) {
  std::vector<Frame> y = x;
  auto channel = [](std::vector<Frame>& v, size_t i) -> int16_t& { return v[i].first; };
  const float first = static_cast<float>((100 - c.wet) / 100.0);
  const size_t d = DelayBytes(c.delayMs) / 4;
  for (size_t i = 0; i < y.size(); ++i) channel(y, i) = Scale(channel(x, i), PercentFactor(c.initial));
  float g = first;
  const uint32_t passes = RepeatPasses(first, DelayBytes(c.delayMs), 0, static_cast<uint32_t>(y.size() * 4));
  for (uint32_t k = 0; k < passes; ++k, g *= g) {
    const size_t shift = (k + 1) * d;
    for (size_t t = shift; t < y.size(); ++t) {
      const int16_t source = k == 0 ? channel(x, t - shift) : channel(y, t - shift);
      channel(y, t) = AddScaled(channel(y, t), source, g);
    }
  }
  return y;
}

TEST(RepeatEffectsTest, ReverbBuildsLaterRepeatsFromTheResultAndItsProgressAddsUpToItsCount) {
  std::vector<Frame> frames(3000);
  for (size_t i = 0; i < frames.size(); ++i) {
    frames[i] = {static_cast<int16_t>(std::lround(12000 * std::sin(i * 0.05))), 0};
  }
  const RepeatSettings settings{{90, 40, 5}, {100, 100, 5}};
  FrameFile track(frames);
  FrameFile result(frames);
  CountingProgress progress;
  ASSERT_EQ(Reverb(result.Paged(), track.Paged(), 0, 12000, settings, progress), EffectResult::Done);
  EXPECT_EQ(result.Frames(), ReverbModel(frames, settings.left));
  EXPECT_EQ(progress.stepped * 100, ReverbByteCount(0, 12000, settings));
}

TEST(RepeatEffectsTest, MultiVoiceAddsEqualCopiesOneDelayApart) {
  const uint32_t d = DelayBytes(83) / 4;
  ASSERT_EQ(d, 3660u);
  FrameFile track(Impulses(kFrames(1), {{0, {10000, 20000}}}));
  FrameFile result(Impulses(kFrames(1), {{0, {10000, 20000}}}));
  CountingProgress progress;
  ASSERT_EQ(MultiVoice(result.Paged(), track.Paged(), 0, kFrames(1) * 4, Locked(80, 80, 83), 1, progress),
            EffectResult::Done);
  const auto out = result.Frames();
  EXPECT_EQ(out[0], (Frame{8000, 16000}));
  EXPECT_EQ(out[d], (Frame{8000, 16000}));
  EXPECT_EQ(std::count(out.begin(), out.end(), Frame{0, 0}), static_cast<long>(kFrames(1) - 2));
  EXPECT_EQ(MultiVoiceByteCount(0, 400, Locked(80, 80, 1), 3), 400u + 2 * (224 + 48));

  // Ten voices with no delay pile up on the original, clipped after every addition.
  FrameFile stacked(Impulses(10, {{0, {10000, -10000}}}));
  FrameFile source(Impulses(10, {{0, {10000, -10000}}}));
  ASSERT_EQ(MultiVoice(stacked.Paged(), source.Paged(), 0, 40, Locked(30, 30, 0), 10, progress), EffectResult::Done);
  EXPECT_EQ(stacked.Frames()[0], (Frame{32700, -32700}));
}

}  // namespace
